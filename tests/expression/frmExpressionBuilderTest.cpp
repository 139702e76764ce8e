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

// An attribute whose evaluation gives "=" and its value, with hooks run before evaluating and
// after storing a value.
struct HookedAttribute : FakeAttribute
{
    using FakeAttribute::FakeAttribute;
    Variant evaluatedValue() const override
    {
        if (beforeEvaluating) beforeEvaluating();
        return Variant(u'=' + FakeAttribute::evaluatedValue().toText());
    }
    void setValue(const Variant &v) override
    {
        FakeAttribute::setValue(v);
        if (afterSetting) afterSetting();
    }
    std::function<void()> beforeEvaluating, afterSetting;
};

// The dialog with recording services, over Label (position 0), the expression Total
// (position 1) and Len1 (position 2).
struct BuilderTest : ::testing::Test
{
    test::RecordingServices services;
    frmExpressionBuilder dialog{nullptr, services};
    frmExpressionBuilderPrivate *d = frmExpressionBuilderPrivate::get(&dialog);
    std::shared_ptr<test::FakeCollection> atts = std::make_shared<test::FakeCollection>();
    std::shared_ptr<FakeAttribute> len1 = atts->add(QStringLiteral("Len1"), adtReal, 2.5);
    std::shared_ptr<HookedAttribute> total =
        std::make_shared<HookedAttribute>(QStringLiteral("Total"), adtReal, "1+1");
    std::shared_ptr<HookedAttribute> label =
        std::make_shared<HookedAttribute>(QStringLiteral("Label"), adtText, "pump");

    BuilderTest()
    {
        total->m_expression = true;
        label->m_displayName = QStringLiteral("Label text");
        atts->add(total);
        atts->add(label);
        atts->positions = {2, 1, 0};
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
    static void compose(QLineEdit *box, const QString &text, int start, int length = 0)
    {
        box->clear();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < start + length; ++i)
            QTest::keyClick(box, Qt::Key_Right, i < start ? Qt::NoModifier : Qt::ShiftModifier);
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
    // With a collection?, Index, editable?, the expression shown.
    const std::tuple<bool, const char *, bool, const char *> cases[] = {
        {true, "Total", true, "1+1"}, {true, "Len1", false, ""}, {false, "Total", false, ""}};
    for (const auto &[withAtts, index, editable, expression] : cases) {
        SCOPED_TRACE(index);
        dialog.setAtts(withAtts ? atts : nullptr);
        dialog.setIndex(QLatin1String(index));
        for (QWidget *control :
             std::initializer_list<QWidget *>{d->cmdOK, d->cmdTest, d->txtExpression})
            EXPECT_EQ(control->isEnabled(), editable) << qPrintable(control->objectName());
        EXPECT_TRUE(d->cmdCancel->isEnabled());
        EXPECT_EQ(dialog.Expression(), QLatin1String(expression));
    }
    dialog.setAtts(atts);
    EXPECT_THROW(dialog.setIndex(QStringLiteral("Nope")), platform::Error);
}

TEST_F(BuilderTest, DoubleClicksInsertAtTheCaretIgnoringTheSelection)
{
    open(QStringLiteral("Total"));
    QTreeWidgetItem *maths = d->tvwFunctions->topLevelItem(3);
    // Text, caret, selection length, the double-click, the text it gives.
    const std::tuple<const char *, int, int, std::function<void()>, const char *> cases[] = {
        {"a+b", 1, 0, [&] { doubleClickCell(1, 0); }, "a$Len1$+b"},
        {"a+b", 0, 0, [&] { doubleClickCell(1, 2); }, "$Len1$a+b"},
        {"a+b", 3, 0, [&] { doubleClickCell(0, 0); }, "a+b$Label$"},
        {"a+b", 1, 0, [&] { doubleClickCell(1, 1); }, "a+b"}, // the value opens for editing
        {"x", 1, 0, [&] { doubleClickNode(function(QStringLiteral("Left"))); }, "xLeft()"},
        {"abcd", 1, 2, [&] { doubleClickNode(function(QStringLiteral("Abs"))); }, "aAbs()bcd"},
        {"x", 1, 0, [&] { doubleClickNode(maths); }, "x"},
        {"x", 1, 0, [&] { doubleClickNode(maths->child(0)->child(0)); }, "x"},
    };
    for (const auto &[text, start, length, click, result] : cases) {
        SCOPED_TRACE(result);
        d->datAttributes->setEditActive(false);
        d->tvwFunctions->collapseAll();
        compose(d->txtExpression, QLatin1String(text), start, length);
        click();
        EXPECT_EQ(dialog.Expression(), QLatin1String(result));
    }
    EXPECT_TRUE(len1->writes.empty());
}

TEST_F(BuilderTest, AFailingTestLeavesTheResultAndTheExpressionAsTheyWere)
{
    open(QStringLiteral("Total"));
    QTest::mouseClick(d->cmdTest, Qt::LeftButton);
    ASSERT_EQ(d->txtResult->text(), QStringLiteral("=1+1"));
    const std::pair<const char *, std::function<void()>> cases[] = {
        {"storing the expression throws", [&] { total->throwOn = Op::SetValue; }},
        {"evaluating throws a non-exception",
         [&] { total->throwOn = Op::None, total->beforeEvaluating = [] { throw 42; }; }},
        {"the attribute went", [&] { atts->attributes.erase(atts->attributes.begin() + 1); }},
    };
    for (const auto &[name, inject] : cases) {
        SCOPED_TRACE(name);
        inject();
        compose(d->txtExpression, QStringLiteral("2+2"), 3);
        QTest::mouseClick(d->cmdTest, Qt::LeftButton);
        EXPECT_EQ(d->txtResult->text(), QStringLiteral("=1+1"));
        EXPECT_EQ(dialog.Expression(), QStringLiteral("2+2"));
    }
    EXPECT_TRUE(services.messageBox.messages.empty());
}

TEST_F(BuilderTest, TheSharedDialogTestsAcceptsAndCancelsAndIsHiddenNotDestroyed)
{
    QPointer<frmExpressionBuilder> shared = &frmExpressionBuilder::instance(services);
    EXPECT_EQ(shared, &frmExpressionBuilder::instance());
    auto *sd = frmExpressionBuilderPrivate::get(shared);
    auto use = [&](std::function<void()> user) {
        shared->setAtts(atts);
        shared->setIndex(QStringLiteral("Total"));
        services.modalDialog.onShow = [&](QDialog &) { user(); };
        return services.modalDialog.exec(*shared);
    };

    // Test stores the expression at once; Cancel neither undoes that nor keeps the text.
    EXPECT_EQ(use([&] {
                  compose(sd->txtExpression, QStringLiteral("$Len1$*2"), 0);
                  QTest::mouseClick(sd->cmdTest, Qt::LeftButton);
                  EXPECT_EQ(sd->txtResult->text(), QStringLiteral("=$Len1$*2"));
                  QTest::mouseClick(sd->cmdCancel, Qt::LeftButton);
              }),
              QDialog::Rejected);
    EXPECT_EQ(total->writes, Values{Variant("$Len1$*2")});
    EXPECT_TRUE(shared->Cancelled());
    EXPECT_EQ(shared->Expression(), QString());
    ASSERT_FALSE(shared.isNull());
    EXPECT_FALSE(shared->isVisible());

    // OK; then a showing closed with Escape starts cancelled, without the last result, and
    // keeps the text.
    EXPECT_EQ(use([&] {
                  QTest::keyClicks(sd->txtExpression, QStringLiteral("*3"));
                  QTest::mouseClick(sd->cmdTest, Qt::LeftButton);
                  QTest::mouseClick(sd->cmdOK, Qt::LeftButton);
              }),
              QDialog::Accepted);
    EXPECT_FALSE(shared->Cancelled());
    EXPECT_EQ(shared->Expression(), QStringLiteral("$Len1$*2*3"));
    services.modalDialog.onShow = [&](QDialog &) { QTest::keyClick(shared, Qt::Key_Escape); };
    EXPECT_EQ(services.modalDialog.exec(*shared), QDialog::Rejected);
    EXPECT_TRUE(shared->Cancelled());
    EXPECT_EQ(sd->txtResult->text(), QString());
    EXPECT_EQ(shared->Expression(), QStringLiteral("$Len1$*2*3"));
}

TEST_F(BuilderTest, AValueEditedInTheListReachesItsAttributeAtOnce)
{
    open(QStringLiteral("Total"));
    typeValue(1, QStringLiteral("7"));
    EXPECT_EQ(len1->writes, Values{Variant("7")});

    // A refusing attribute changes nothing else; one that reloads the dialog from its setValue
    // does not pull the list from under the edit.
    len1->throwOn = Op::SetValue;
    typeValue(1, QStringLiteral("8"));
    EXPECT_TRUE(label->writes.empty());
    label->afterSetting = [&] { dialog.setAtts(dialog.Atts()); };
    typeValue(0, QStringLiteral("valve"));
    EXPECT_EQ(label->writes, Values{Variant("valve")});
    EXPECT_EQ(column(1), QStringList({"valve", "7"})) << "reloaded";
}

} // namespace
