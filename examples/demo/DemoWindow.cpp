#include "DemoWindow.h"

#include "control/ctlAttributes.h"
#include "core/AttributeSource.h"
#include "core/Error.h"
#include "expression/frmExpressionBuilder.h"
#include "platform/MessageBoxService.h"
#include "platform/ModalDialogService.h"
#include "platform/PropertyBag.h"
#include "platform/Services.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTime>
#include <QToolBar>

using tabulon::ctlAttributes;

namespace {
const QString kGroup = QStringLiteral("editor");
}

DemoWindow::DemoWindow(std::shared_ptr<tabulon::AttributeCollection> object, const QString &origin,
                       QSettings &settings, const tabulon::platform::Services &services)
    : m_settings(settings), m_services(services), m_object(std::move(object))
{
    setWindowTitle(QStringLiteral("Tabulon demo: %1").arg(origin));

    auto *splitter = new QSplitter(Qt::Vertical, this);
    m_editor = new ctlAttributes(splitter, services);
    m_log = new QPlainTextEdit(splitter);
    m_log->setReadOnly(true);
    m_log->setPlaceholderText(QStringLiteral("Changes reported by the editor appear here."));
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({430, 130});
    setCentralWidget(splitter);

    // Design-time properties: the ones saved by the last run, or this host's own defaults.
    if (m_settings.childGroups().contains(kGroup)) {
        tabulon::platform::SettingsPropertyBag bag(m_settings, kGroup);
        m_editor->ReadProperties(bag);
    } else {
        m_editor->InitProperties();
        m_editor->setPropertyCaption(QStringLiteral("Property"));
        m_editor->setValueCaption(QStringLiteral("Value"));
        m_editor->setShowUnits(true);
        m_editor->setRecordSelectors(true);
    }

    auto *bar = addToolBar(QStringLiteral("Options"));
    bar->setMovable(false);
    auto addToggle = [&](const QString &text, bool on, auto apply) {
        auto *box = new QCheckBox(text, bar);
        box->setChecked(on);
        connect(box, &QCheckBox::toggled, this, apply);
        bar->addWidget(box);
    };
    addToggle(QStringLiteral("Show units"), m_editor->ShowUnits(), [this](bool on) {
        m_editor->setShowUnits(on);
        m_editor->setDataSource(m_object); // units show at the next display
    });
    addToggle(QStringLiteral("Record selectors"), m_editor->RecordSelectors(),
              [this](bool on) { m_editor->setRecordSelectors(on); });
    addToggle(QStringLiteral("Position order"),
              m_editor->DisplayOrder() == ctlAttributes::eGDOInsertion, [this](bool on) {
                  m_editor->setDisplayOrder(on ? ctlAttributes::eGDOInsertion
                                               : ctlAttributes::eGDODefault);
              });
    bar->addSeparator();
    auto *next = new QPushButton(QStringLiteral("Next row"), bar);
    next->setToolTip(QStringLiteral("Moves to the next row shown, as a host stepping through "
                                    "the attributes would"));
    connect(next, &QPushButton::clicked, this, [this] {
        try {
            m_editor->GotoNextRow();
        } catch (const std::exception &e) {
            log(QStringLiteral("GotoNextRow failed: %1").arg(QString::fromUtf8(e.what())));
        }
    });
    bar->addWidget(next);

    // The host's view of the selection: the rows chosen by their selectors, or all of them
    // after a click on a column header.
    m_selected = new QLabel(this);
    statusBar()->addPermanentWidget(m_selected);
    const auto showSelected = [this] {
        const int n = m_editor->SelectedCount();
        m_selected->setText(n == 1 ? QStringLiteral("1 row selected: %1")
                                         .arg(m_editor->GetSelected(0))
                                   : QStringLiteral("%1 rows selected").arg(n));
    };
    showSelected();

    // The cell editor will open the builder from the value cell; until then, a menu does.
    QMenu *expressions = menuBar()->addMenu(QStringLiteral("&Expressions"));
    for (const QString &name : expressionAttributes()) {
        QString shown = name;
        try {
            shown = m_object->itemByKey(name)->displayName();
        } catch (...) {
        }
        expressions->addAction(QStringLiteral("Build expression for %1...").arg(shown), this,
                               [this, name] { buildExpression(name); });
    }
    expressions->setEnabled(!expressions->isEmpty());

    connect(m_editor, &ctlAttributes::AttributeChange, this, [this](const QString &name) {
        QString value;
        try {
            value = m_object->itemByKey(name)->value().toText();
        } catch (const std::exception &e) {
            value = QStringLiteral("(unreadable: %1)").arg(QString::fromUtf8(e.what()));
        }
        log(QStringLiteral("AttributeChange  %1 = %2").arg(name, value));
    });
    connect(m_editor, &ctlAttributes::SelectionChange, this, [this, showSelected] {
        log(QStringLiteral("SelectionChange"));
        showSelected();
    });
    connect(m_editor, &ctlAttributes::propertyChanged, this, [this](const QString &key) {
        statusBar()->showMessage(QStringLiteral("%1 changed").arg(key), 3000);
    });

    m_editor->setDataSource(m_object);
    // The editor shows the visible attributes only; count those.
    int shown = 0;
    m_object->forEach([&](tabulon::Attribute &attribute) { shown += attribute.isVisible(); });
    statusBar()->showMessage(QStringLiteral("%1 attributes from %2").arg(shown).arg(origin));
    resize(560, 620);
}

DemoWindow::~DemoWindow() = default;

QStringList DemoWindow::expressionAttributes() const
{
    QStringList names;
    m_object->forEach([&](tabulon::Attribute &attribute) {
        if (attribute.isExpression()) names << attribute.name();
    });
    return names;
}

void DemoWindow::buildExpression(const QString &name)
{
    using tabulon::frmExpressionBuilder;
    frmExpressionBuilder &builder = frmExpressionBuilder::instance(m_services);
    auto fail = [this](const QString &what) {
        tabulon::platform::orDefault(m_services.messageBox)
            .warning(this, QStringLiteral("Cannot build the expression: %1").arg(what),
                     QStringLiteral("Tabulon demo"));
    };
    try {
        // Tests run on a copy; only OK changes the object itself.
        builder.setAtts(m_object->workingSet());
        builder.setIndex(name);
        tabulon::platform::orDefault(m_services.modalDialog).exec(builder);
        if (builder.Cancelled()) return;
        m_object->itemByKey(name)->setValue(tabulon::platform::Variant(builder.Expression()));
    } catch (const std::exception &e) {
        fail(tabulon::platform::describe(e));
        return;
    } catch (...) {
        fail(QStringLiteral("unknown error"));
        return;
    }
    log(QStringLiteral("Expression  %1 = %2").arg(name, builder.Expression()));
    m_editor->setDataSource(m_object); // the row shows the new expression's value
}

void DemoWindow::log(const QString &line)
{
    m_log->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss  ")) + line);
}

void DemoWindow::saveProperties()
{
    tabulon::platform::SettingsPropertyBag bag(m_settings, kGroup);
    m_editor->WriteProperties(bag);
    m_settings.sync();
}

void DemoWindow::closeEvent(QCloseEvent *event)
{
    saveProperties();
    QMainWindow::closeEvent(event);
}
