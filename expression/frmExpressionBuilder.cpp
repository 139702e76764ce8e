#include "expression/frmExpressionBuilder.h"
#include "expression/frmExpressionBuilder_p.h"

#include "core/Error.h"
#include "expression/FunctionCatalogue.h"
#include "platform/DataGrid.h"
#include "platform/LocalisationService.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tabulon {

using platform::RecordSet;
using platform::Variant;

namespace {

// The context under which the dialog's texts are translated.
const QString kContext = QStringLiteral("frmExpressionBuilder");

const QString kDisplayName = QStringLiteral("DisplayName");
const QString kValue = QStringLiteral("Value");
const QString kName = QStringLiteral("Name");

// A label over `buddy`, its mnemonic moving the focus there.
QLabel *labelFor(QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setBuddy(buddy);
    return label;
}

// A widget holding `label` over `field`, the field taking the height.
QWidget *labelled(QLabel *label, QWidget *field, QWidget *parent)
{
    auto *pane = new QWidget(parent);
    auto *column = new QVBoxLayout(pane);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(label);
    column->addWidget(field, 1);
    return pane;
}

} // namespace

void frmExpressionBuilderPrivate::CreateControls()
{
    q->setObjectName(kContext);
    datAttributes = new platform::DataGrid(q);
    datAttributes->setObjectName(QStringLiteral("datAttributes"));
    datAttributes->setRecordSelectors(false);
    tvwFunctions = new QTreeWidget(q);
    tvwFunctions->setObjectName(QStringLiteral("tvwFunctions"));
    tvwFunctions->setHeaderHidden(true);
    txtExpression = new QLineEdit(q);
    txtExpression->setObjectName(QStringLiteral("txtExpression"));
    txtResult = new QLineEdit(q);
    txtResult->setObjectName(QStringLiteral("txtResult"));
    cmdTest = new QPushButton(q);
    cmdTest->setObjectName(QStringLiteral("cmdTest"));
    cmdOK = new QPushButton(q);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(q);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter in the expression box accepts; Test is clicked on purpose.
    cmdOK->setDefault(true);
    cmdTest->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    lblAttributes = labelFor(datAttributes, q);
    lblFunctions = labelFor(tvwFunctions, q);
    lblExpression = labelFor(txtExpression, q);
    lblResult = labelFor(txtResult, q);

    // Small enough for any screen, large enough to show a few rows of each list.
    datAttributes->setMinimumSize(200, 100);
    tvwFunctions->setMinimumSize(160, 100);

    // Attributes and functions side by side, sharing the width as the user drags; the
    // expression and the result below them, full width; the buttons at the bottom right.
    auto *lists = new QSplitter(Qt::Horizontal, q);
    lists->setChildrenCollapsible(false);
    lists->addWidget(labelled(lblAttributes, datAttributes, lists));
    lists->addWidget(labelled(lblFunctions, tvwFunctions, lists));
    lists->setStretchFactor(0, 3);
    lists->setStretchFactor(1, 2);

    auto *expressionRow = new QHBoxLayout;
    expressionRow->addWidget(txtExpression, 1);
    expressionRow->addWidget(cmdTest);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(q);
    layout->addWidget(lists, 1);
    layout->addWidget(lblExpression);
    layout->addLayout(expressionRow);
    layout->addWidget(lblResult);
    layout->addWidget(txtResult);
    layout->addLayout(buttons);
    q->resize(820, 500);

    QObject::connect(datAttributes, &QAbstractItemView::doubleClicked, q,
                     [this](const QModelIndex &cell) {
                         // A double-click on a value opens it for editing instead.
                         if (!(cell.flags() & Qt::ItemIsEditable)) InsertAttributeReference();
                     });
    QObject::connect(tvwFunctions, &QTreeWidget::itemDoubleClicked, q,
                     [this] { InsertFunction(); });
    QObject::connect(cmdTest, &QPushButton::clicked, q, [this] { cmdTest_Click(); });
    QObject::connect(cmdOK, &QPushButton::clicked, q, [this] { cmdOK_Click(); });
    QObject::connect(cmdCancel, &QPushButton::clicked, q, [this] { cmdCancel_Click(); });
}

void frmExpressionBuilderPrivate::Localise(platform::LocalisationService &localisation)
{
    auto translate = [&](const QString &text) {
        try {
            return localisation.translate(kContext, text);
        } catch (...) {
            return text; // an outside component failing costs the translation only
        }
    };
    q->setWindowTitle(translate(QStringLiteral("Build Expression")));
    cmdTest->setText(translate(QStringLiteral("&Test")));
    cmdOK->setText(translate(QStringLiteral("OK")));
    cmdCancel->setText(translate(QStringLiteral("Cancel")));
    lblAttributes->setText(translate(QStringLiteral("&Attributes:")));
    lblFunctions->setText(translate(QStringLiteral("&Functions:")));
    lblExpression->setText(translate(QStringLiteral("&Expression:")));
    lblResult->setText(translate(QStringLiteral("&Result:")));
    txtXML = translate(functionCatalogue());
    txtResult->setText(translate(QString()));
    txtExpression->setText(translate(QString()));
}

void frmExpressionBuilderPrivate::Form_Load()
{
    LoadFunctions();
    txtResult->setEnabled(false);
}

void frmExpressionBuilderPrivate::LoadFunctions()
{
    tabulon::LoadFunctions(*tvwFunctions, txtXML);
}

void frmExpressionBuilderPrivate::Form_Activate()
{
    Cancelled = true;
    txtResult->clear();
}

int frmExpressionBuilderPrivate::SelStart() const
{
    return txtExpression->hasSelectedText() ? txtExpression->selectionStart()
                                            : txtExpression->cursorPosition();
}

void frmExpressionBuilderPrivate::InsertAttributeReference()
{
    if (!mRS) return;
    try {
        const QString text = txtExpression->text();
        const int start = SelStart();
        const QString name = mRS->value(kName).toString();
        txtExpression->setText(text.left(start) + u'$' + name + u'$' + text.mid(start));
    } catch (...) {
        // No current row, or a name that is not text: nothing to insert.
    }
}

void frmExpressionBuilderPrivate::InsertFunction()
{
    const QTreeWidgetItem *node = tvwFunctions->currentItem();
    if (!node) return;
    const QString key = nodeKey(*node);
    if (key.isEmpty()) return; // a category or a description
    const QString text = txtExpression->text();
    const int start = SelStart();
    txtExpression->setText(text.left(start) + key + QStringLiteral("()") + text.mid(start));
}

void frmExpressionBuilderPrivate::cmdTest_Click()
{
    // The host's objects may fail in any way; the result box then keeps what it showed.
    try {
        if (!Atts) return;
        const std::shared_ptr<Attribute> attribute = Atts->itemByKey(Variant(Index));
        if (!attribute) return;
        attribute->setValue(Variant(txtExpression->text()));
        const std::shared_ptr<Attribute> tested = Atts->itemByKey(Variant(Index));
        if (!tested) return;
        txtResult->setText(tested->evaluatedValue().toString());
    } catch (...) {
    }
}

void frmExpressionBuilderPrivate::cmdOK_Click()
{
    Cancelled = false;
    q->accept();
}

void frmExpressionBuilderPrivate::cmdCancel_Click()
{
    Cancelled = true;
    txtExpression->clear();
    q->reject();
}

void frmExpressionBuilderPrivate::mRS_FieldChangeComplete(
    int, std::span<const RecordSet::ChangedField> fields, RecordSet &rs)
{
    if (mLoading || !Atts) return;
    const QScopedValueRollback notifying(mNotifying, mNotifying + 1);
    // The host's objects may fail in any way; the rest of the change is then dropped.
    try {
        for (const RecordSet::ChangedField &field : fields) {
            const Variant value = field.value();
            if (field.name() != kValue || value.isEmpty()) continue;
            const std::shared_ptr<Attribute> attribute =
                Atts->itemByKey(Variant(rs.value(kName).toString()));
            if (!attribute) return;
            attribute->setValue(value);
        }
    } catch (...) {
    }
}

frmExpressionBuilder::frmExpressionBuilder(QWidget *parent, const platform::Services &services)
    : QDialog(parent), d(std::make_unique<frmExpressionBuilderPrivate>(this))
{
    d->CreateControls();
    d->Localise(platform::orDefault(services.localisation));
    d->Form_Load();
    setIndex(QString());
}

frmExpressionBuilder::~frmExpressionBuilder()
{
    // The grid goes before the tables it shows.
    delete d->datAttributes;
}

frmExpressionBuilder &frmExpressionBuilder::instance(const platform::Services &services)
{
    // Never destroyed: a host may use it until the very end, and a hidden dialog costs nothing.
    static QPointer<frmExpressionBuilder> shared;
    if (!shared) shared = new frmExpressionBuilder(nullptr, services);
    return *shared;
}

std::shared_ptr<AttributeCollection> frmExpressionBuilder::Atts() const
{
    return d->Atts;
}

void frmExpressionBuilder::setAtts(std::shared_ptr<AttributeCollection> Atts)
{
    d->Atts = std::move(Atts);

    auto rs = std::make_unique<RecordSet>();
    rs->setCursorLocation(RecordSet::CursorLocation::Client);
    rs->setCursorType(RecordSet::CursorType::Static);
    rs->appendField(kDisplayName, RecordSet::FieldType::VarWChar, 255, true);
    rs->appendField(kValue, RecordSet::FieldType::Variant, 0, true);
    rs->appendField(kName, RecordSet::FieldType::VarWChar, 255, true);
    rs->open();
    rs->connectFieldChangeComplete(
        [this](int count, std::span<const RecordSet::ChangedField> fields, RecordSet &changed) {
            d->mRS_FieldChangeComplete(count, fields, changed);
        });

    // Shows the new list, with the rows read so far when the collection fails.
    auto bind = [this](std::unique_ptr<RecordSet> table) {
        platform::DataGrid &grid = *d->datAttributes;
        grid.setDataSource(table.get());
        // Names fit their texts, the value takes the rest of the width.
        for (const QString &field : {kDisplayName, kName}) {
            if (platform::DataGridColumn *column = grid.columnByField(field)) {
                column->setLocked(true);
                grid.resizeColumnToContents(column->index());
            }
        }
        if (platform::DataGridColumn *value = grid.columnByField(kValue))
            grid.horizontalHeader()->setSectionResizeMode(value->index(), QHeaderView::Stretch);
        std::unique_ptr<RecordSet> old = std::exchange(d->mRS, std::move(table));
        if (d->mNotifying > 0)
            d->mRetired.push_back(std::move(old));
        else
            d->mRetired.clear();
    };

    const QScopedValueRollback loading(d->mLoading, true);
    const std::int32_t count = d->Atts ? d->Atts->count() : 0;
    try {
        for (std::int32_t position = 0; position < count; ++position) {
            const std::shared_ptr<Attribute> attribute = d->Atts->item(position);
            if (!attribute) throw platform::Error::standard(platform::Error::ItemNotFound);
            if (attribute->isExpression()) continue;
            const QString displayName = attribute->displayName();
            const QString name = attribute->name();
            Variant row[] = {displayName, attribute->value(), name};
            rs->addNew(row);
        }
    } catch (...) {
        bind(std::move(rs));
        throw;
    }
    bind(std::move(rs));
    d->datAttributes->scrollBy(0, -count);
}

QString frmExpressionBuilder::Index() const
{
    return d->Index;
}

void frmExpressionBuilder::setIndex(const QString &Index)
{
    d->Index = Index;
    d->cmdOK->setEnabled(false);
    d->cmdTest->setEnabled(false);
    d->txtExpression->setEnabled(false);
    d->txtExpression->clear();
    if (!d->Atts) return;
    const std::shared_ptr<Attribute> attribute = d->Atts->itemByKey(Variant(Index));
    if (!attribute || !attribute->isExpression()) return;
    const QString expression = attribute->rawValue().toString();
    d->cmdOK->setEnabled(true);
    d->cmdTest->setEnabled(true);
    d->txtExpression->setEnabled(true);
    d->txtExpression->setText(expression);
}

bool frmExpressionBuilder::Cancelled() const
{
    return d->Cancelled;
}

QString frmExpressionBuilder::Expression() const
{
    return d->txtExpression->text();
}

void frmExpressionBuilder::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Restoring a minimised dialog is no new showing.
    if (!event->spontaneous()) d->Form_Activate();
}

} // namespace tabulon
