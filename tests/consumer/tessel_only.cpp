#include <tabulon/tessel/JsonLoader.h>

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return tessel::defaultCollection()->count() > 0 ? 0 : 1;
}
