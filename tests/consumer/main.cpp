#include <tabulon/control/ctlAttributes.h>
#include <tabulon/expression/frmExpressionBuilder.h>
#include <tabulon/folderbrowser/cBrowseForFolder.h>
#include <tabulon/platform/ComponentService.h>
#include <tabulon/platform/FileDialogService.h>
#include <tabulon/platform/FileSystemService.h>
#include <tabulon/platform/FolderDialogService.h>
#include <tabulon/platform/LocalisationService.h>
#include <tabulon/platform/MessageBoxService.h>
#include <tabulon/platform/ModalDialogService.h>
#include <tabulon/platform/Shell.h>
#include <tabulon/tessel/JsonLoader.h>

#include <QAbstractItemView>

#include <QApplication>

namespace {
// A host's own message box, given to one control.
class CountingMessages : public tabulon::platform::MessageBoxService
{
public:
    void warning(QWidget *, const QString &, const QString &) override { ++count; }
    int count = 0;
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    CountingMessages messages;
    tabulon::ctlAttributes editor(nullptr, {.messageBox = &messages});
    editor.setShowUnits(true);
    editor.setDataSource(tessel::defaultCollection());
    // The editor shows its rows in an item view of its own.
    const auto *view = editor.findChild<QAbstractItemView *>();
    const bool loaded = view && view->model() && view->model()->rowCount() > 0;

    // The expression builder prepared for the object's first expression attribute.
    const auto object = tessel::defaultCollection();
    QString expression;
    object->forEach([&](tabulon::Attribute &a) {
        if (a.isExpression() && expression.isEmpty()) expression = a.name();
    });
    tabulon::frmExpressionBuilder &builder = tabulon::frmExpressionBuilder::instance();
    builder.setAtts(object);
    builder.setIndex(expression);
    const bool prepared = !builder.Expression().isEmpty() && builder.Cancelled();

    // The folder browser answers without showing anything.
    const tabulon::cBrowseForFolder browser;
    const bool browses = browser.Title() == QLatin1String("Choose Folder") &&
                         browser.SpecialFolderLocation(0x7fff).isEmpty();
    return loaded && prepared && browses && messages.count == 0 ? 0 : 1;
}
