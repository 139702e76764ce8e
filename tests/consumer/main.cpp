#include <control/ctlAttributes.h>
#include <platform/RecordSet.h>
#include <tessel/JsonLoader.h>

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    tabulon::ctlAttributes editor;
    editor.setShowUnits(true);
    editor.setDataSource(tessel::defaultCollection());
    return editor.attributeTable() && editor.attributeTable()->recordCount() > 0 ? 0 : 1;
}
