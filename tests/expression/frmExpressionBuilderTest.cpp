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
#include <tuple>

namespace {

using namespace tabulon;
using platform::Variant;
using test::FakeAttribute;
using Op = FakeAttribute::Op;
using Values = std::vector<Variant>;

// The dialog with recording services, over Label (position 0), the expression Total
// (position 1) and Len1 (position 2). Total evaluates to "=" and the expression last stored.
struct BuilderTest : ::testing::Test
{
    test::RecordingServices services;
    frmExpressionBuilder dialog{nullptr, services};
    frmExpressionBuilderPrivate *d = frmExpressionBuilderPrivate::get(&dialog);
    std::shared_ptr<test::FakeCollection> atts = std::make_shared<test::FakeCollection>();
    std::shared_ptr<FakeAttribute> len1 = atts->add(QStringLiteral("Len1"), adtReal, 2.5);
    std::shared_ptr<FakeAttribute> total = atts->add(QStringLiteral("Total"), adtReal, "1+1");
    std::shared_ptr<FakeAttribute> label = atts->add(QStringLiteral("Label"), adtText, "pump");

    BuilderTest()
    {
        total->m_expression = true;
        total->onCall = [t = total.get()](Op op) {
            if (op != Op::SetValue) return;
            t->m_raw = t->writes.back();
            t->m_value = Variant(u'=' + t->writes.back().toText());
        };
        label->m_displayName = QStringLiteral("Label text");
        atts->positions = {2, 1, 0};
    }
    void open()
    {
        dialog.setAtts(atts);
        dialog.setIndex(QStringLiteral("Total"));
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    // The list's cells, row by row.
    QStringList cells() const
    {
        QAbstractItemModel *model = d->datAttributes->model();
        QStringList out;
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 0; c < model->columnCount(); ++c)
                out << model->index(r, c).data().toString();
        return out;
    }
    // Types into the value cell of list row `row` and presses Enter.
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

// The texts and the catalogue go through the localisation service; the result is read-only.
TEST_F(BuilderTest, LocalisedTextsAndCatalogue)
{
    EXPECT_TRUE(services.localisation.asked.contains("frmExpressionBuilder|Build Expression"));
    EXPECT_FALSE(d->txtResult->isEnabled());
    test::RecordingLocalisation german;
    german.translations = {
        {QStringLiteral("Build Expression"), QStringLiteral("Ausdruck")},
        {functionCatalogue(), "<Functions><Category Name='Datum'/></Functions>"}};
    frmExpressionBuilder translated(nullptr, {.localisation = &german});
    EXPECT_EQ(translated.windowTitle(), QStringLiteral("Ausdruck"));
    const QTreeWidget *tree = frmExpressionBuilderPrivate::get(&translated)->tvwFunctions;
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Datum"));
}

// The list shows the attributes that are not expressions, in position order, without writing
// back; only their values are editable. Index enables editing for an expression attribute only.
TEST_F(BuilderTest, AttsListsPlainAttributesAndIndexEditsAnExpression)
{
    open();
    EXPECT_EQ(cells(), QStringList({"Label text", "pump", "Label", "Len1", "2.5", "Len1"}));
    EXPECT_TRUE(label->writes.empty() && len1->writes.empty() && total->writes.empty());
    EXPECT_TRUE(d->datAttributes->columnByField(u"DisplayName")->isLocked());
    EXPECT_TRUE(d->datAttributes->columnByField(u"Name")->isLocked());
    EXPECT_FALSE(d->datAttributes->columnByField(u"Value")->isLocked());

    // With a collection?, Index, editable?, the expression shown.
    const std::tuple<bool, const char *, bool, const char *> cases[] = {
        {true, "Total", true, "1+1"}, {true, "Len1", false, ""}, {false, "Total", false, ""}};
    for (const auto &[withAtts, index, editable, expression] : cases) {
        SCOPED_TRACE(index);
        dialog.setAtts(withAtts ? atts : nullptr);
        dialog.setIndex(QLatin1String(index));
        // OK, Test and the expression box: all three enabled or none.
        EXPECT_EQ(d->cmdOK->isEnabled() + d->cmdTest->isEnabled() + d->txtExpression->isEnabled(),
                  editable ? 3 : 0);
        EXPECT_EQ(dialog.Expression(), QLatin1String(expression));
    }
    dialog.setAtts(atts);
    EXPECT_THROW(dialog.setIndex(QStringLiteral("Nope")), platform::Error);
}

TEST_F(BuilderTest, DoubleClicksInsertAtTheCaretIgnoringTheSelection)
{
    open();
    QAbstractItemView *grid = d->datAttributes, *tree = d->tvwFunctions;
    const auto cell = [&](int row, int column) { return grid->model()->index(row, column); };
    const auto node = [&](const char *text) {
        const auto flags = Qt::MatchExactly | Qt::MatchRecursive;
        return d->tvwFunctions->indexFromItem(d->tvwFunctions->findItems(text, flags).value(0));
    };
    // Text, caret, selection length, the view and item double-clicked, the text it gives.
    const std::tuple<const char *, int, int, QAbstractItemView *, QModelIndex, const char *>
        cases[] = {
            {"a+b", 1, 0, grid, cell(1, 0), "a$Len1$+b"},
            {"a+b", 0, 0, grid, cell(1, 2), "$Len1$a+b"},
            {"a+b", 3, 0, grid, cell(0, 0), "a+b$Label$"},
            {"a+b", 1, 0, grid, cell(1, 1), "a+b"}, // the value opens for editing
            {"abcd", 1, 2, tree, node("Abs"), "aAbs()bcd"},
            {"x", 1, 0, tree, node("Maths Functions"), "x"},
            {"x", 1, 0, tree, tree->model()->index(0, 0, node("Abs")), "x"}, // its description
        };
    for (const auto &[text, start, length, view, index, result] : cases) {
        SCOPED_TRACE(result);
        d->datAttributes->setEditActive(false);
        d->txtExpression->setText(QLatin1String(text));
        d->txtExpression->setSelection(start, length);
        // A double-click as the window system delivers it: press, release, double-click, release.
        view->scrollTo(index);
        const QPoint at = view->visualRect(index).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(dialog.Expression(), QLatin1String(result));
    }
    EXPECT_TRUE(len1->writes.empty());
}

TEST_F(BuilderTest, AFailingTestLeavesTheResultAndTheExpressionAsTheyWere)
{
    open();
    QTest::mouseClick(d->cmdTest, Qt::LeftButton);
    ASSERT_EQ(d->txtResult->text(), QStringLiteral("=1+1"));
    const std::pair<const char *, std::function<void()>> cases[] = {
        {"storing the expression throws", [&] { total->throwOn = Op::SetValue; }},
        {"evaluating throws a non-exception",
         [&] { total->throwOn = Op::EvaluatedValue, total->throwForeign = true; }},
    };
    for (const auto &[name, inject] : cases) {
        SCOPED_TRACE(name);
        inject();
        d->txtExpression->setText(QStringLiteral("2+2"));
        QTest::mouseClick(d->cmdTest, Qt::LeftButton);
        EXPECT_EQ(d->txtResult->text() + u'|' + dialog.Expression(), QStringLiteral("=1+1|2+2"));
    }
}

TEST_F(BuilderTest, TheSharedDialogTestsAcceptsAndCancelsAndIsHiddenNotDestroyed)
{
    QPointer<frmExpressionBuilder> shared = &frmExpressionBuilder::instance(services);
    EXPECT_EQ(shared, &frmExpressionBuilder::instance());
    auto *sd = frmExpressionBuilderPrivate::get(shared);
    // In one showing of Total: typed after the expression, the buttons clicked (none: Escape);
    // the dialog's result, and after it "Cancelled()|Expression()|the result shown".
    const std::tuple<const char *, std::vector<QPushButton *>, int, const char *> showings[] = {
        // Test stores the expression at once; Cancel neither undoes that nor keeps the text.
        {"*2", {sd->cmdTest, sd->cmdCancel}, QDialog::Rejected, "1||=1+1*2"},
        {"*3", {sd->cmdTest, sd->cmdOK}, QDialog::Accepted, "0|1+1*2*3|=1+1*2*3"},
        // A showing starts cancelled and without the last result; Escape keeps the text.
        {"", {}, QDialog::Rejected, "1|1+1*2*3|"},
    };
    for (const auto &[typed, buttons, result, outcome] : showings) {
        shared->setAtts(atts);
        shared->setIndex(QStringLiteral("Total"));
        services.modalDialog.onShow = [&](QDialog &) {
            QTest::keyClicks(sd->txtExpression, QLatin1String(typed));
            for (QPushButton *button : buttons)
                QTest::mouseClick(button, Qt::LeftButton);
            if (buttons.empty()) QTest::keyClick(shared, Qt::Key_Escape);
        };
        EXPECT_EQ(services.modalDialog.exec(*shared), result);
        ASSERT_TRUE(shared && !shared->isVisible()) << "hidden, not destroyed";
        EXPECT_EQ(QStringLiteral("%1|%2|%3")
                      .arg(int(shared->Cancelled()))
                      .arg(shared->Expression(), sd->txtResult->text()),
                  QLatin1String(outcome));
    }
    EXPECT_EQ(total->writes, (Values{Variant("1+1*2"), Variant("1+1*2*3")}));
}

TEST_F(BuilderTest, AValueEditedInTheListReachesItsAttributeAtOnce)
{
    open();
    typeValue(1, QStringLiteral("7"));
    EXPECT_EQ(len1->writes, Values{Variant("7")});

    // A refusing attribute changes nothing else; one that reloads the dialog from its setValue
    // does not pull the list from under the edit.
    len1->throwOn = Op::SetValue;
    typeValue(1, QStringLiteral("8"));
    EXPECT_TRUE(label->writes.empty());
    label->onCall = [&](Op op) {
        if (op == Op::SetValue) dialog.setAtts(dialog.Atts());
    };
    typeValue(0, QStringLiteral("valve"));
    EXPECT_EQ(label->writes, Values{Variant("valve")});
    EXPECT_EQ(cells(), QStringList({"Label text", "valve", "Label", "Len1", "7", "Len1"}));
}

} // namespace
