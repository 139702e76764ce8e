#include "expression/frmExpressionBuilder.h"
#include "expression/frmExpressionBuilder_p.h"
#include "expression/FunctionCatalogue.h"
#include "platform/DataGrid.h"
#include "tests/support/FakeAttributes.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

// Texts in failure messages as text.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using namespace tabulon;
using platform::Variant;
using test::FakeAttribute;
using Op = FakeAttribute::Op;

// An expression attribute that evaluates its text as "=TEXT", or runs `failure` instead.
class ExpressionAttribute : public FakeAttribute
{
public:
    ExpressionAttribute(QString name, QString expression) : FakeAttribute(name, adtReal, expression)
    {
        m_expression = true;
    }
    Variant evaluatedValue() const override
    {
        if (failure) failure();
        FakeAttribute::evaluatedValue();
        return Variant(u'=' + m_value.toText());
    }
    std::function<void()> failure;
};

// The dialog with recording services, over Len1 (position 2), Total (the expression, position
// 1) and Label (position 0).
struct BuilderTest : ::testing::Test
{
    test::RecordingServices services;
    frmExpressionBuilder dialog{nullptr, services};
    frmExpressionBuilderPrivate *d = frmExpressionBuilderPrivate::get(&dialog);
    std::shared_ptr<test::FakeCollection> atts = std::make_shared<test::FakeCollection>();
    std::shared_ptr<FakeAttribute> len1 = atts->add(QStringLiteral("Len1"), adtReal, 2.5);
    std::shared_ptr<ExpressionAttribute> total =
        add(std::make_shared<ExpressionAttribute>(QStringLiteral("Total"), QStringLiteral("1+1")));
    std::shared_ptr<FakeAttribute> label = atts->add(QStringLiteral("Label"), adtText, "pump");

    BuilderTest()
    {
        atts->positions = {2, 1, 0};
        label->m_displayName = QStringLiteral("Label text");
    }
    template <class A> std::shared_ptr<A> add(std::shared_ptr<A> a)
    {
        atts->add(a);
        return a;
    }
    void open(const QString &index)
    {
        dialog.setAtts(atts);
        dialog.setIndex(index);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < d->datAttributes->model()->rowCount(); ++r)
            out << d->datAttributes->model()->index(r, c).data().toString();
        return out;
    }
    // Types `text` into the expression box and puts the caret at `start`, selecting `length`.
    void compose(const QString &text, int start, int length = 0)
    {
        d->txtExpression->clear();
        QTest::keyClicks(d->txtExpression, text);
        QTest::keyClick(d->txtExpression, Qt::Key_Home);
        for (int i = 0; i < start; ++i)
            QTest::keyClick(d->txtExpression, Qt::Key_Right);
        for (int i = 0; i < length; ++i)
            QTest::keyClick(d->txtExpression, Qt::Key_Right, Qt::ShiftModifier);
    }
    // A double-click as the window system delivers it: press, release, double-click, release.
    static void doubleClick(QWidget *viewport, QPoint at)
    {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
    void doubleClickCell(int row, int col)
    {
        platform::DataGrid *grid = d->datAttributes;
        doubleClick(grid->viewport(), grid->visualRect(grid->model()->index(row, col)).center());
    }
    void doubleClickNode(QTreeWidgetItem *node)
    {
        d->tvwFunctions->scrollToItem(node);
        doubleClick(d->tvwFunctions->viewport(), d->tvwFunctions->visualItemRect(node).center());
    }
    QTreeWidgetItem *function(const QString &name) const
    {
        return d->tvwFunctions->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    }
    // Types into the value cell of grid row `row` and presses Enter.
    void typeValue(int row, const QString &text)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        d->datAttributes->setFocus();
        d->datAttributes->setCurrentColumn(1);
        d->datAttributes->setCurrentRow(row);
        d->datAttributes->setEditActive(true);
        auto *editor = d->datAttributes->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
};

TEST_F(BuilderTest, TextsGoThroughTheLocalisationServiceWhenTheDialogLoads)
{
    EXPECT_EQ(services.localisation.asked.filter(QStringLiteral("frmExpressionBuilder|")).size(),
              11);
    EXPECT_EQ(services.localisation.asked.size(), 11);
    EXPECT_EQ(d->tvwFunctions->topLevelItemCount(), 6);
    EXPECT_FALSE(d->txtResult->isEnabled());

    // A translated catalogue is what the tree shows; one that does not parse leaves it empty.
    const std::pair<const char *, int> cases[] = {
        {"<Functions><Category Name='Datum'/></Functions>", 1}, {"<Functions>", 0}};
    for (const auto &[catalogue, categories] : cases) {
        test::RecordingLocalisation german;
        german.translations = {{QStringLiteral("Build Expression"), QStringLiteral("Ausdruck")},
                               {functionCatalogue(), QLatin1String(catalogue)}};
        frmExpressionBuilder translated(nullptr, {.localisation = &german});
        EXPECT_EQ(translated.windowTitle(), QStringLiteral("Ausdruck"));
        EXPECT_EQ(frmExpressionBuilderPrivate::get(&translated)->tvwFunctions->topLevelItemCount(),
                  categories);
    }
}

TEST_F(BuilderTest, AttsListsTheAttributesThatAreNotExpressionsWithoutWritingBack)
{
    for (int load = 0; load < 2; ++load) {
        open(QStringLiteral("Total"));
        EXPECT_EQ(column(0), QStringList({"Label text", "Len1"})) << "position order";
        EXPECT_EQ(column(1), QStringList({"pump", "2.5"}));
        EXPECT_EQ(column(2), QStringList({"Label", "Len1"}));
    }
    for (const auto &a : atts->attributes)
        EXPECT_TRUE(a->writes.empty()) << qPrintable(a->m_name);
    EXPECT_TRUE(d->datAttributes->columnByField(u"DisplayName")->isLocked());
    EXPECT_TRUE(d->datAttributes->columnByField(u"Name")->isLocked());
    EXPECT_FALSE(d->datAttributes->columnByField(u"Value")->isLocked());
}

TEST_F(BuilderTest, IndexEnablesEditingForAnExpressionAttributeOnly)
{
    const struct
    {
        bool withAtts;
        const char *index;
        bool editable;
        const char *expression;
    } cases[] = {
        {true, "Total", true, "1+1"}, {true, "Len1", false, ""}, {false, "Total", false, ""}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.index);
        dialog.setAtts(c.withAtts ? atts : nullptr);
        dialog.setIndex(QLatin1String(c.index));
        EXPECT_EQ(d->cmdOK->isEnabled(), c.editable);
        EXPECT_EQ(d->cmdTest->isEnabled(), c.editable);
        EXPECT_EQ(d->txtExpression->isEnabled(), c.editable);
        EXPECT_TRUE(d->cmdCancel->isEnabled());
        EXPECT_EQ(dialog.Expression(), QLatin1String(c.expression));
    }
    dialog.setAtts(atts);
    EXPECT_THROW(dialog.setIndex(QStringLiteral("Nope")), platform::Error);
}

TEST_F(BuilderTest, DoubleClicksInsertAtTheCaretIgnoringTheSelection)
{
    open(QStringLiteral("Total"));
    QTreeWidgetItem *maths = d->tvwFunctions->topLevelItem(3);
    const struct
    {
        const char *text;
        int start, length;
        std::function<void()> click;
        const char *result;
    } cases[] = {
        {"a+b", 1, 0, [&] { doubleClickCell(1, 0); }, "a$Len1$+b"},
        {"a+b", 0, 0, [&] { doubleClickCell(1, 2); }, "$Len1$a+b"},
        {"a+b", 3, 0, [&] { doubleClickCell(0, 0); }, "a+b$Label$"},
        {"a+b", 1, 0, [&] { doubleClickCell(1, 1); }, "a+b"}, // the value opens for editing
        {"x", 1, 0, [&] { doubleClickNode(function(QStringLiteral("Left"))); }, "xLeft()"},
        {"abcd", 1, 2, [&] { doubleClickNode(function(QStringLiteral("Abs"))); }, "aAbs()bcd"},
        {"x", 1, 0, [&] { doubleClickNode(maths); }, "x"},
        {"x", 1, 0, [&] { doubleClickNode(maths->child(0)->child(0)); }, "x"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.result);
        d->datAttributes->setEditActive(false);
        d->tvwFunctions->collapseAll();
        compose(QLatin1String(c.text), c.start, c.length);
        c.click();
        EXPECT_EQ(dialog.Expression(), QLatin1String(c.result));
    }
    EXPECT_TRUE(len1->writes.empty());
}

TEST_F(BuilderTest, TestStoresTheExpressionAndCancelNeitherUndoesItNorKeepsTheText)
{
    dialog.setAtts(atts);
    dialog.setIndex(QStringLiteral("Total"));
    QString shownAfterTest;
    services.modalDialog.onShow = [&](QDialog &) {
        compose(QStringLiteral("$Len1$*2"), 0);
        QTest::mouseClick(d->cmdTest, Qt::LeftButton);
        shownAfterTest = d->txtResult->text();
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    };
    EXPECT_EQ(services.modalDialog.exec(dialog), QDialog::Rejected);
    EXPECT_EQ(shownAfterTest, QStringLiteral("=$Len1$*2"));
    EXPECT_EQ(total->writes, std::vector<Variant>{Variant("$Len1$*2")});
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_EQ(dialog.Expression(), QString());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(BuilderTest, AFailingTestLeavesTheResultAndTheExpressionAsTheyWere)
{
    open(QStringLiteral("Total"));
    QTest::mouseClick(d->cmdTest, Qt::LeftButton);
    ASSERT_EQ(d->txtResult->text(), QStringLiteral("=1+1"));
    const struct
    {
        const char *name;
        std::function<void()> inject;
    } cases[] = {
        {"setting the expression throws", [&] { total->throwOn = Op::SetValue; }},
        {"evaluation throws", [&] { total->throwOn = Op::EvaluatedValue; }},
        {"evaluation throws a non-exception", [&] { total->failure = [] { throw 42; }; }},
        {"the attribute went", [&] { atts->attributes.erase(atts->attributes.begin() + 1); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        c.inject();
        compose(QStringLiteral("2+2"), 3);
        QTest::mouseClick(d->cmdTest, Qt::LeftButton);
        EXPECT_EQ(d->txtResult->text(), QStringLiteral("=1+1"));
        EXPECT_EQ(dialog.Expression(), QStringLiteral("2+2"));
    }
    EXPECT_TRUE(services.messageBox.messages.empty());
}

TEST_F(BuilderTest, OkAcceptsAndTheSharedDialogIsHiddenAndReusedNotDestroyed)
{
    QPointer<frmExpressionBuilder> shared = &frmExpressionBuilder::instance(services);
    EXPECT_EQ(shared, &frmExpressionBuilder::instance());
    shared->setAtts(atts);
    shared->setIndex(QStringLiteral("Total"));
    auto *sd = frmExpressionBuilderPrivate::get(shared);
    services.modalDialog.onShow = [&](QDialog &) {
        QTest::keyClicks(sd->txtExpression, QStringLiteral("*3"));
        QTest::mouseClick(sd->cmdTest, Qt::LeftButton);
        QTest::mouseClick(sd->cmdOK, Qt::LeftButton);
    };
    EXPECT_EQ(services.modalDialog.exec(*shared), QDialog::Accepted);
    EXPECT_FALSE(shared->Cancelled());
    EXPECT_EQ(shared->Expression(), QStringLiteral("1+1*3"));
    ASSERT_FALSE(shared.isNull());
    EXPECT_FALSE(shared->isVisible());

    // The next showing starts cancelled with no result; closing the window keeps the text.
    services.modalDialog.onShow = [&](QDialog &) { QTest::keyClick(shared, Qt::Key_Escape); };
    EXPECT_EQ(services.modalDialog.exec(*shared), QDialog::Rejected);
    EXPECT_TRUE(shared->Cancelled());
    EXPECT_EQ(sd->txtResult->text(), QString());
    EXPECT_EQ(shared->Expression(), QStringLiteral("1+1*3"));
}

TEST_F(BuilderTest, AValueEditedInTheListReachesItsAttributeAtOnce)
{
    open(QStringLiteral("Total"));
    typeValue(1, QStringLiteral("7"));
    EXPECT_EQ(len1->writes, std::vector<Variant>{Variant("7")});

    // A refusing attribute changes nothing else; one that reloads the dialog from its setValue
    // does not pull the list from under the edit.
    len1->throwOn = Op::SetValue;
    typeValue(1, QStringLiteral("8"));
    EXPECT_TRUE(label->writes.empty());
    struct Reloading : FakeAttribute
    {
        using FakeAttribute::FakeAttribute;
        void setValue(const Variant &v) override
        {
            FakeAttribute::setValue(v);
            dialog->setAtts(dialog->Atts());
        }
        frmExpressionBuilder *dialog = nullptr;
    };
    auto reloading = std::make_shared<Reloading>(QStringLiteral("Label"), adtText, "pump");
    reloading->dialog = &dialog;
    atts->attributes[2] = reloading;
    typeValue(0, QStringLiteral("valve"));
    EXPECT_EQ(reloading->writes, std::vector<Variant>{Variant("valve")});
    EXPECT_EQ(column(1), QStringList({"valve", "7"})) << "reloaded";
}

} // namespace
