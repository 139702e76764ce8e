#include <tabulon/control/ctlAttributes.h>
#include <tabulon/tessel/JsonLoader.h>

#include <QAbstractItemView>

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    tabulon::ctlAttributes editor;
    editor.setShowUnits(true);
    editor.setDataSource(tessel::defaultCollection());
    // The editor shows its rows in an item view of its own.
    const auto *view = editor.findChild<QAbstractItemView *>();
    return view && view->model() && view->model()->rowCount() > 0 ? 0 : 1;
}
