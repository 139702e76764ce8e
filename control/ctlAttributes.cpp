#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"

#include "platform/DataGrid.h"
#include "core/Error.h"
#include "platform/PropertyBag.h"
#include "platform/RecordSet.h"

#include <QApplication>
#include <QListWidget>
#include <QResizeEvent>
#include <QStyle>

#include <cmath>

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

} // namespace

ctlAttributesPrivate::ctlAttributesPrivate(ctlAttributes *q, platform::Services *services)
    : q(q), m_services(services)
{}

ctlAttributesPrivate::~ctlAttributesPrivate() = default;

void ctlAttributesPrivate::Initialize()
{
    try {
        m_fso = m_services->createFileSystem();
        m_colProperty = grdEdit->column(0);
        m_colValue = grdEdit->column(1);
        m_colValue->setWordWrap(true);
        const int scrollBarPixels = grdEdit->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        m_lScrollBarWidth = int(std::lround(scrollBarPixels * grdEdit->twipsPerPixelX()));
        m_sngPropFraction = 0.5f;
    } catch (const std::exception &e) {
        m_services->messageBox(
            q, QStringLiteral("Unexpected error initialising Tabulon\r\n") + platform::describe(e),
            kMessageTitle);
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

ctlAttributes::ctlAttributes(QWidget *parent, platform::Services *services)
    : QWidget(parent), d(std::make_unique<ctlAttributesPrivate>(
                           this, services ? services : &platform::Services::instance()))
{
    d->grdEdit = new platform::DataGrid(this);
    d->grdEdit->setObjectName(QStringLiteral("grdEdit"));
    d->grdEdit->addColumn(QStringLiteral("DisplayName"));
    d->grdEdit->addColumn(QStringLiteral("Value"));
    d->grdEdit->move(0, 0);
    // The control sizes the two columns to the grid's width itself.
    d->grdEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The grid's two columns are the property and value columns from the start; Initialize
    // takes them again, but a failed Initialize must not leave the control without them.
    d->m_colProperty = d->grdEdit->column(0);
    d->m_colValue = d->grdEdit->column(1);

    d->lstEdit = new QListWidget(this);
    d->lstEdit->setObjectName(QStringLiteral("lstEdit"));
    d->lstEdit->hide();

    d->Initialize();
}

ctlAttributes::~ctlAttributes()
{
    // The grid is bound to the table that d owns: unbind before either goes.
    d->grdEdit->setDataSource(nullptr);
}

platform::Services &ctlAttributes::services() const
{
    return *d->m_services;
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
    if (Atts->count() == 0) {
        d->grdEdit->hide();
        d->lstEdit->hide();
        return;
    }
    d->grdEdit->show();
    d->m_Atts = Atts;
    d->m_bUpdating = true;
    try {
        d->CreateAttributeTable();
        d->LoadAttributeRows(*Atts);
    } catch (...) {
        d->m_bUpdating = false;
        throw;
    }
    d->m_bUpdating = false;
}

ctlAttributes::GridDisplayOrder ctlAttributes::DisplayOrder() const
{
    return d->m_displayOrder;
}

void ctlAttributes::setDisplayOrder(GridDisplayOrder newOrder)
{
    d->m_displayOrder = newOrder;
    // Persisted, so hosts that mark their form as changed on this notification see it too.
    Q_EMIT propertyChanged(QStringLiteral("DisplayOrder"));
    if (d->m_Atts) setDataSource(d->m_Atts);
}

QString ctlAttributes::PropertyCaption() const
{
    return d->m_colProperty->caption();
}

void ctlAttributes::setPropertyCaption(const QString &Caption)
{
    d->m_colProperty->setCaption(Caption);
    Q_EMIT propertyChanged(QStringLiteral("PropertyCaption"));
}

QString ctlAttributes::ValueCaption() const
{
    return d->m_colValue->caption();
}

void ctlAttributes::setValueCaption(const QString &Caption)
{
    d->m_colValue->setCaption(Caption);
    Q_EMIT propertyChanged(QStringLiteral("ValueCaption"));
}

float ctlAttributes::RowHeight() const
{
    return float(d->grdEdit->rowHeightTwips());
}

void ctlAttributes::setRowHeight(float H)
{
    d->grdEdit->setRowHeightTwips(H);
    Q_EMIT propertyChanged(QStringLiteral("RowHeight"));
}

QColor ctlAttributes::BackColor() const
{
    return d->grdEdit->backColor();
}

void ctlAttributes::setBackColor(const QColor &c)
{
    d->grdEdit->setBackColor(c);
    Q_EMIT propertyChanged(QStringLiteral("BackColor"));
}

QColor ctlAttributes::ForeColor() const
{
    return d->grdEdit->foreColor();
}

void ctlAttributes::setForeColor(const QColor &c)
{
    d->grdEdit->setForeColor(c);
    Q_EMIT propertyChanged(QStringLiteral("ForeColor"));
}

bool ctlAttributes::RecordSelectors() const
{
    return d->grdEdit->recordSelectors();
}

void ctlAttributes::setRecordSelectors(bool on)
{
    d->grdEdit->setRecordSelectors(on);
    Q_EMIT propertyChanged(QStringLiteral("RecordSelectors"));
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
    Q_EMIT propertyChanged(QStringLiteral("ShowUnits"));
}

void ctlAttributes::InitProperties() {}

void ctlAttributes::ReadProperties(const platform::PropertyBag &bag)
{
    setPropertyCaption(bag.readProperty(QStringLiteral("PropertyCaption"), QString()).toText());
    setValueCaption(bag.readProperty(QStringLiteral("ValueCaption"), QString()).toText());
    setRowHeight(
        float(bag.readProperty(QStringLiteral("RowHeight"), double(RowHeight())).toDouble()));
    setBackColor(colourFromVariant(
        bag.readProperty(QStringLiteral("BackColor"), colourToVariant(BackColor()))));
    setForeColor(colourFromVariant(
        bag.readProperty(QStringLiteral("ForeColor"), colourToVariant(ForeColor()))));
    setRecordSelectors(
        bag.readProperty(QStringLiteral("RecordSelectors"), RecordSelectors()).toBool());
    setShowUnits(bag.readProperty(QStringLiteral("ShowUnits"), ShowUnits()).toBool());
    setDisplayOrder(GridDisplayOrder(bag.readProperty(QStringLiteral("DisplayOrder"), 0).toInt()));
}

void ctlAttributes::WriteProperties(platform::PropertyBag &bag) const
{
    const Variant none; // no writing default: always written
    bag.writeProperty(QStringLiteral("PropertyCaption"), PropertyCaption(), QString());
    bag.writeProperty(QStringLiteral("ValueCaption"), ValueCaption(), QString());
    bag.writeProperty(QStringLiteral("RowHeight"), double(RowHeight()), none);
    bag.writeProperty(QStringLiteral("BackColor"), colourToVariant(BackColor()), none);
    bag.writeProperty(QStringLiteral("ForeColor"), colourToVariant(ForeColor()), none);
    bag.writeProperty(QStringLiteral("RecordSelectors"), RecordSelectors(), none);
    bag.writeProperty(QStringLiteral("ShowUnits"), ShowUnits(), none);
    bag.writeProperty(QStringLiteral("DisplayOrder"), int(DisplayOrder()), 0);
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

void ctlAttributes::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Resize();
}

} // namespace tabulon
