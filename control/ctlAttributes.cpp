#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"

#include "control/Logging.h"
#include "control/RowDisplay.h"
#include "control/UpdatingGuard.h"
#include "control/editors/ListEditor.h"

#include "platform/DataGrid.h"
#include "platform/ListBox.h"
#include "core/Error.h"
#include "platform/MessageBoxService.h"
#include "platform/PropertyBag.h"
#include "platform/RecordSet.h"

#include <QApplication>
#include <QPointer>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QStyle>
#include <QTimer>

#include <array>
#include <cmath>
#include <optional>

namespace tabulon {

using platform::Variant;

namespace {

// Persisted colours are 32-bit integers holding 0x00RRGGBB.
Variant colourToVariant(const QColor &c)
{
    return Variant(int(c.rgb() & 0xFFFFFFu));
}
QColor colourFromVariant(const Variant &v)
{
    return QColor::fromRgb(QRgb(v.toInt()) | 0xFF000000u);
}

// The property-bag keys, also sent with propertyChanged.
const QString kPropertyCaption = QStringLiteral("PropertyCaption");
const QString kValueCaption = QStringLiteral("ValueCaption");
const QString kRowHeight = QStringLiteral("RowHeight");
const QString kBackColor = QStringLiteral("BackColor");
const QString kForeColor = QStringLiteral("ForeColor");
const QString kRecordSelectors = QStringLiteral("RecordSelectors");
const QString kShowUnits = QStringLiteral("ShowUnits");
const QString kDisplayOrder = QStringLiteral("DisplayOrder");

// One persisted property: its key, how it is read from and applied to the control, and its
// defaults. Reading falls back to the fixed default when there is one, else to the current
// value; writing leaves out a value equal to the writing default, and always writes when there
// is none.
struct PersistedProperty
{
    const QString &key;
    Variant (*get)(const ctlAttributes &);
    void (*set)(ctlAttributes &, const Variant &);
    std::optional<Variant> readingDefault;
    std::optional<Variant> writingDefault;
    // Whether a value read from a bag is one the setter can take: it converts (may raise) and
    // lies in the property's range.
    bool (*valid)(const Variant &);
};

// A row must hold a line of text; a bag may hold anything, up to numbers no float can take.
constexpr double kMinRowHeight = 90;    // twips
constexpr double kMaxRowHeight = 14400; // twips

bool anyText(const Variant &v)
{
    (void)v.toText();
    return true;
}
bool anyBool(const Variant &v)
{
    (void)v.toBool();
    return true;
}
bool rowHeight(const Variant &v)
{
    const double h = v.toDouble();
    return std::isfinite(h) && h >= kMinRowHeight && h <= kMaxRowHeight;
}
bool colour(const Variant &v)
{
    const std::int32_t c = v.toInt();
    return c >= 0 && c <= 0xFFFFFF;
}
bool displayOrder(const Variant &v)
{
    const std::int32_t order = v.toInt();
    return order == ctlAttributes::eGDODefault || order == ctlAttributes::eGDOInsertion;
}

bool acceptable(const PersistedProperty &p, const Variant &v)
{
    try {
        return p.valid(v);
    } catch (...) {
        return false;
    }
}

// A bag's value as a diagnostic shows it.
QString shown(const Variant &v)
{
    try {
        return v.isString() ? u'"' + v.toText() + u'"' : v.toText();
    } catch (...) {
        return v.isNull() ? QStringLiteral("Null") : QStringLiteral("Empty");
    }
}

// In the order they are read and written.
const std::array<PersistedProperty, 8> &persistedProperties()
{
    using C = ctlAttributes;
    static const std::array<PersistedProperty, 8> properties{{
        {kPropertyCaption, [](const C &c) { return Variant(c.PropertyCaption()); },
         [](C &c, const Variant &v) { c.setPropertyCaption(v.toText()); }, QString(), QString(),
         anyText},
        {kValueCaption, [](const C &c) { return Variant(c.ValueCaption()); },
         [](C &c, const Variant &v) { c.setValueCaption(v.toText()); }, QString(), QString(),
         anyText},
        {kRowHeight, [](const C &c) { return Variant(double(c.RowHeight())); },
         [](C &c, const Variant &v) { c.setRowHeight(float(v.toDouble())); }, {}, {}, rowHeight},
        {kBackColor, [](const C &c) { return colourToVariant(c.BackColor()); },
         [](C &c, const Variant &v) { c.setBackColor(colourFromVariant(v)); }, {}, {}, colour},
        {kForeColor, [](const C &c) { return colourToVariant(c.ForeColor()); },
         [](C &c, const Variant &v) { c.setForeColor(colourFromVariant(v)); }, {}, {}, colour},
        {kRecordSelectors, [](const C &c) { return Variant(c.RecordSelectors()); },
         [](C &c, const Variant &v) { c.setRecordSelectors(v.toBool()); }, {}, {}, anyBool},
        {kShowUnits, [](const C &c) { return Variant(c.ShowUnits()); },
         [](C &c, const Variant &v) { c.setShowUnits(v.toBool()); }, {}, {}, anyBool},
        {kDisplayOrder, [](const C &c) { return Variant(int(c.DisplayOrder())); },
         [](C &c, const Variant &v) { c.setDisplayOrder(C::GridDisplayOrder(v.toInt())); }, 0,
         0, displayOrder},
    }};
    return properties;
}

} // namespace

ctlAttributesPrivate::ctlAttributesPrivate(ctlAttributes *q, const platform::Services &services)
    : q(q), m_services(services)
{}

ctlAttributesPrivate::~ctlAttributesPrivate()
{
    // Deleted by host code that a field-change notification ran: the table's write is still on
    // the stack and returns into the table, so the tables go once the event loop runs again.
    if (m_notifying > 0) {
        auto kept = std::make_shared<std::vector<std::unique_ptr<platform::RecordSet>>>(
            std::move(m_retiredTables));
        kept->push_back(std::move(m_rs));
        QTimer::singleShot(0, QCoreApplication::instance(), [kept] {});
    }
}

void ctlAttributesPrivate::Initialize()
{
    try {
        m_fso = platform::orDefault(m_services.fileSystem).createFileSystem();
        m_colProperty = grdEdit->column(0);
        m_colValue = grdEdit->column(1);
        m_colValue->setWordWrap(true);
        const int scrollBarPixels = grdEdit->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        m_lScrollBarWidth = int(std::lround(scrollBarPixels * grdEdit->twipsPerPixelX()));
        m_sngPropFraction = 0.5f;
    } catch (...) {
        platform::orDefault(m_services.messageBox)
            .warning(q,
                     QStringLiteral("Unexpected error initialising Tabulon\r\n") +
                         platform::describeCurrentException(),
                     messageTitle());
    }
}

void ctlAttributesPrivate::FitValueColumn(platform::DataGridColumn *column)
{
    platform::DataGridColumn *other =
        column->caption() == m_colProperty->caption() ? m_colValue : m_colProperty;

    const int k = m_rs ? grdEdit->rowCount() + 1 : 2;
    const double needed = (grdEdit->rowHeightTwips() + grdEdit->twipsPerPixelY()) * k;
    if (grdEdit->gridHeight() < needed)
        m_sngRightMargin = float(m_lScrollBarWidth + 5);
    else
        m_sngRightMargin = float(grdEdit->twipsPerPixelX());

    other->setWidth(grdEdit->gridWidth() - m_colProperty->left() - column->width() -
                    m_sngRightMargin);
}

ctlAttributes::ctlAttributes(QWidget *parent, const platform::Services &services)
    : QWidget(parent), d(std::make_unique<ctlAttributesPrivate>(this, services))
{
    d->grdEdit = new platform::DataGrid(this);
    d->grdEdit->setObjectName(QStringLiteral("grdEdit"));
    d->grdEdit->addColumn(fieldName(fDisplayName));
    d->grdEdit->addColumn(fieldName(fValue));
    d->grdEdit->move(0, 0);
    // The control sizes the two columns to the grid's width itself.
    d->grdEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The grid's two columns are the property and value columns from the start; Initialize
    // takes them again, but a failed Initialize must not leave the control without them.
    d->m_colProperty = d->grdEdit->column(0);
    d->m_colValue = d->grdEdit->column(1);

    // The control takes the focus as its grid, and grows in layouts.
    setFocusPolicy(d->grdEdit->focusPolicy());
    setFocusProxy(d->grdEdit);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    d->grdEdit->setReadOnlyRows([this](int row) { return d->IsReadOnlyRow(row); });
    d->ConnectGrid();

    d->lstEdit = new platform::ListBox(this);
    d->lstEdit->setObjectName(QStringLiteral("lstEdit"));
    d->lstEdit->hide();
    d->m_listEditor = std::make_unique<ListEditor>(*d->lstEdit, *d->grdEdit);

    d->Initialize();
}

ctlAttributes::~ctlAttributes()
{
    // The grid is bound to the table that d owns: unbind before either goes.
    d->grdEdit->setDataSource(nullptr);
    if (d->m_notifying > 0) {
        // Deleted by host code that an edit ran: the grid's own write of the typed text may be
        // on the stack and returns into the grid, so the grid goes later, on its own.
        d->grdEdit->setReadOnlyRows(nullptr);
        d->grdEdit->hide();
        d->grdEdit->setParent(nullptr);
        d->grdEdit->deleteLater();
    }
}

const platform::Services &ctlAttributes::services() const
{
    return d->m_services;
}

std::shared_ptr<AttributeCollection> ctlAttributes::DataSource() const
{
    return d->m_Atts;
}

void ctlAttributes::setDataSource(std::shared_ptr<AttributeCollection> Atts)
{
    d->grdEdit->setDataSource(nullptr);
    if (!Atts) {
        // Detaching: nothing is shown and nothing of the old source is kept.
        d->grdEdit->hide();
        d->lstEdit->hide();
        d->m_Atts.reset();
        d->ReplaceTable(nullptr);
        return;
    }
    // count() is host code: it may delete the control or load another source itself.
    const QPointer<ctlAttributes> self(this);
    const auto generation = d->m_generation;
    const bool empty = Atts->count() == 0;
    if (!self || d->m_generation != generation) return;
    if (empty) {
        d->grdEdit->hide();
        d->lstEdit->hide();
        return;
    }
    d->grdEdit->show();
    d->m_Atts = Atts;
    const UpdatingGuard updating = d->updating();
    d->CreateAttributeTable();
    // The load's own rows are no edits: the table is followed from when they stand, also when
    // a failing read stopped the load, unless the host has put another table in its place.
    const auto loaded = d->m_generation;
    const auto followEdits = qScopeGuard([&] {
        if (self && d->m_generation == loaded) d->FollowEdits();
    });
    d->LoadAttributeRows(*Atts);
}

ctlAttributes::GridDisplayOrder ctlAttributes::DisplayOrder() const
{
    return d->m_displayOrder;
}

void ctlAttributes::setDisplayOrder(GridDisplayOrder newOrder)
{
    d->m_displayOrder = newOrder;
    // Persisted, so hosts that mark their form as changed on this notification see it too.
    Q_EMIT propertyChanged(kDisplayOrder);
    if (d->m_Atts) setDataSource(d->m_Atts);
}

QString ctlAttributes::PropertyCaption() const
{
    return d->m_colProperty->caption();
}

void ctlAttributes::setPropertyCaption(const QString &Caption)
{
    d->m_colProperty->setCaption(Caption);
    Q_EMIT propertyChanged(kPropertyCaption);
}

QString ctlAttributes::ValueCaption() const
{
    return d->m_colValue->caption();
}

void ctlAttributes::setValueCaption(const QString &Caption)
{
    d->m_colValue->setCaption(Caption);
    Q_EMIT propertyChanged(kValueCaption);
}

float ctlAttributes::RowHeight() const
{
    return float(d->grdEdit->rowHeightTwips());
}

void ctlAttributes::setRowHeight(float H)
{
    d->grdEdit->setRowHeightTwips(H);
    Q_EMIT propertyChanged(kRowHeight);
}

QColor ctlAttributes::BackColor() const
{
    return d->grdEdit->backColor();
}

void ctlAttributes::setBackColor(const QColor &c)
{
    d->grdEdit->setBackColor(c);
    Q_EMIT propertyChanged(kBackColor);
}

QColor ctlAttributes::ForeColor() const
{
    return d->grdEdit->foreColor();
}

void ctlAttributes::setForeColor(const QColor &c)
{
    d->grdEdit->setForeColor(c);
    Q_EMIT propertyChanged(kForeColor);
}

bool ctlAttributes::RecordSelectors() const
{
    return d->grdEdit->recordSelectors();
}

void ctlAttributes::setRecordSelectors(bool on)
{
    d->grdEdit->setRecordSelectors(on);
    Q_EMIT propertyChanged(kRecordSelectors);
    d->m_sngSelectorWidth = RecordSelectors() ? float(d->m_lScrollBarWidth * 1.25) : 0.0f;
    Resize();
}

bool ctlAttributes::ShowUnits() const
{
    return d->m_bShowUnits;
}

void ctlAttributes::setShowUnits(bool bNew)
{
    d->m_bShowUnits = bNew;
    Q_EMIT propertyChanged(kShowUnits);
}

void ctlAttributes::InitProperties() {}

void ctlAttributes::ReadProperties(const platform::PropertyBag &bag)
{
    for (const PersistedProperty &p : persistedProperties()) {
        const Variant fallback = p.readingDefault ? *p.readingDefault : p.get(*this);
        const Variant read = bag.readProperty(p.key, fallback);
        if (acceptable(p, read)) {
            p.set(*this, read);
            continue;
        }
        // A damaged or hand-edited store: the property keeps its default.
        qCWarning(lcTabulon).noquote()
            << QStringLiteral("Persisted property %1: %2 is out of range; %3 used instead")
                   .arg(p.key, shown(read), shown(fallback));
        p.set(*this, fallback);
    }
}

void ctlAttributes::WriteProperties(platform::PropertyBag &bag) const
{
    for (const PersistedProperty &p : persistedProperties())
        bag.writeProperty(p.key, p.get(*this), p.writingDefault.value_or(Variant()));
}

void ctlAttributes::Resize()
{
    platform::DataGrid *grid = d->grdEdit;
    grid->resize(width(), grid->height());
    grid->setGridHeight(height() * grid->twipsPerPixelY());
    d->m_colProperty->setWidth((grid->gridWidth() - d->m_sngRightMargin - d->m_sngSelectorWidth) *
                               d->m_sngPropFraction);
    d->FitValueColumn(d->m_colProperty);
}

QSize ctlAttributes::sizeHint() const
{
    return d->grdEdit->sizeHint();
}

QSize ctlAttributes::minimumSizeHint() const
{
    return d->grdEdit->minimumSizeHint();
}

void ctlAttributes::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Resize();
}

} // namespace tabulon
