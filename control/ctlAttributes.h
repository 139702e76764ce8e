#pragma once

#include "../core/AttributeSource.h"
#include "../core/Export.h"
#include "../core/Variant.h"
#include "../platform/Services.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <memory>

namespace tabulon {

namespace platform {
class PropertyBag;
} // namespace platform

class ctlAttributesPrivate;

// The attribute editor: shows the attributes of one host object as a two-column grid
// (property, value) and writes edits back to the host's attribute objects.
//
// A host creates it, optionally restores its design-time properties with ReadProperties(),
// and assigns an attribute collection with setDataSource(). Lengths at this interface are
// twips (1/1440 inch).
class TABULON_EXPORT ctlAttributes : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString PropertyCaption READ PropertyCaption WRITE setPropertyCaption)
    Q_PROPERTY(QString ValueCaption READ ValueCaption WRITE setValueCaption)
    Q_PROPERTY(float RowHeight READ RowHeight WRITE setRowHeight)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(bool RecordSelectors READ RecordSelectors WRITE setRecordSelectors)
    Q_PROPERTY(bool ShowUnits READ ShowUnits WRITE setShowUnits)
    Q_PROPERTY(GridDisplayOrder DisplayOrder READ DisplayOrder WRITE setDisplayOrder)
    Q_PROPERTY(int SelectedCount READ SelectedCount)

public:
    // Row order of the grid: the source's own enumeration order, or position order. Any other
    // value behaves as eGDODefault.
    enum GridDisplayOrder : int { eGDODefault = 0, eGDOInsertion = 1 };
    Q_ENUM(GridDisplayOrder)

    // services: the outside facilities this instance uses, one per facility. They are not owned
    // and must outlive the control; a null one stands for its facility's process-wide default.
    explicit ctlAttributes(QWidget *parent = nullptr, const platform::Services &services = {});
    ~ctlAttributes() override;

    // The attributes shown. Assigning a collection rebuilds the attribute table and the grid;
    // an empty collection hides the grid and keeps the previous source and table; nullptr
    // hides the grid and releases both. Errors of the source pass to the caller; the rows read
    // until then stay in the table.
    std::shared_ptr<AttributeCollection> DataSource() const;
    void setDataSource(std::shared_ptr<AttributeCollection> Atts);

    // Assigning reloads the current source in the new order, even when the order is unchanged.
    GridDisplayOrder DisplayOrder() const;
    void setDisplayOrder(GridDisplayOrder newOrder);

    QString PropertyCaption() const;
    void setPropertyCaption(const QString &Caption);
    QString ValueCaption() const;
    void setValueCaption(const QString &Caption);
    // Row height in twips.
    float RowHeight() const;
    void setRowHeight(float H);
    QColor BackColor() const;
    void setBackColor(const QColor &c);
    QColor ForeColor() const;
    void setForeColor(const QColor &c);
    bool RecordSelectors() const;
    void setRecordSelectors(bool on);
    // Real values carry their display unit in the value text; takes effect at the next display.
    bool ShowUnits() const;
    void setShowUnits(bool bNew);

    // Container callbacks: a new instance keeps its design values; ReadProperties applies each
    // stored property through its setter; WriteProperties stores them, leaving out values
    // equal to their defaults ("PropertyCaption", "ValueCaption", "DisplayOrder").
    void InitProperties();
    void ReadProperties(const platform::PropertyBag &bag);
    void WriteProperties(platform::PropertyBag &bag) const;
    // Lays out the grid and its two columns for the control's current size. Called on every
    // resize; hosts rarely need it.
    void Resize();

    // Sets an attribute's value and redisplays its row; the row's writes are handled as edits,
    // so the shown text is validated, written back and reported. Index is passed to the
    // source's lookup unchanged. Reports nothing and always returns an empty variant.
    platform::Variant SetAttributeValue(const platform::Variant &Index,
                                        const platform::Variant &Value);
    // Shows an attribute's row in other display units. Reports nothing and always returns an
    // empty variant.
    platform::Variant SetAttributeDisplayUnits(const platform::Variant &Index,
                                               const QString &DisplayUnits);

    // The rows selected by their record selectors (or all, after a click on a column header).
    int SelectedCount() const;
    // The name of the attribute in the selected row at Index (0 first, in the order they were
    // selected); the empty text for an Index outside the selection. The current row stays.
    QString GetSelected(int Index) const;
    // Moves the current cell one row down among the rows shown, from the last one to the top
    // one shown, and applies that row's edit mode. Raises Error when no attributes are shown.
    // Returns an empty variant.
    platform::Variant GotoNextRow();

    // The grid's size hints: room for about ten rows.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The facilities this instance uses.
    const platform::Services &services() const;

Q_SIGNALS:
    // An attribute's value was written back; Index holds the attribute's name.
    void AttributeChange(const QString &Index);
    // The selected rows changed while record selectors are shown.
    void SelectionChange();
    // A persisted property changed; key is its property-bag key ("ShowUnits", ...).
    void propertyChanged(const QString &key);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class ctlAttributesPrivate;
    std::unique_ptr<ctlAttributesPrivate> const d;
    Q_DISABLE_COPY(ctlAttributes)
};

} // namespace tabulon
