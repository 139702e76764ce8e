#pragma once

#include "../core/AttributeSource.h"
#include "../core/Export.h"
#include "../platform/Services.h"

#include <QDialog>
#include <QString>

#include <memory>

namespace tabulon {

class frmExpressionBuilderPrivate;

// The expression builder: the dialog in which the user writes the expression of one attribute.
// It lists the object's other attributes with their values (editable, written straight to the
// attribute objects), the functions an expression may call, the expression, and a Test button
// that stores the expression in the attribute and shows what it evaluates to.
//
// The caller sets Atts, then Index, shows the dialog modally (ModalDialogService), and when
// Cancelled() is false writes Expression() back. OK and Cancel hide the dialog; they do not
// destroy it, so one instance serves every use (instance()).
class TABULON_EXPORT frmExpressionBuilder : public QDialog
{
    Q_OBJECT
public:
    // services: of the outside facilities the dialog uses the localisation service alone, to
    // translate its texts while it is created; it keeps none of them. A null member stands for
    // its facility's process-wide default.
    explicit frmExpressionBuilder(QWidget *parent = nullptr,
                                  const platform::Services &services = {});
    ~frmExpressionBuilder() override;

    // The shared instance, created with `services` on first use (later calls' services go
    // unused) and kept, hidden, between uses.
    static frmExpressionBuilder &instance(const platform::Services &services = {});

    // The attributes of the object being edited; kept, not copied. Setting rebuilds the
    // attribute list from the attributes that are not expressions. Errors of the collection
    // pass to the caller.
    std::shared_ptr<AttributeCollection> Atts() const;
    void setAtts(std::shared_ptr<AttributeCollection> Atts);

    // The name of the attribute being edited. Setting prepares the expression box: with the
    // attribute's expression when it is an expression attribute of Atts, else empty and, with
    // OK and Test, disabled. Errors of the collection pass to the caller.
    QString Index() const;
    void setIndex(const QString &Index);

    // True unless the last showing was closed with OK.
    bool Cancelled() const;
    // The text of the expression box: what the caller writes back after OK.
    QString Expression() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    friend class frmExpressionBuilderPrivate;
    std::unique_ptr<frmExpressionBuilderPrivate> const d;
    Q_DISABLE_COPY(frmExpressionBuilder)
};

} // namespace tabulon
