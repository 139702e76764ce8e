#include "platform/Services.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace tabulon::platform {

namespace {

Services *installedServices = nullptr;

class QtFileSystem : public FileSystem
{
public:
    QString parentFolderName(const QString &path) const override
    {
        const QString folder = QFileInfo(path).path();
        // QFileInfo answers "." for a bare name; that is no folder of the path.
        if (folder == u"." && !path.startsWith(u"./") && !path.startsWith(u".\\")) return QString();
        // QFileInfo hands back "/"; give the caller the separators it used.
        return path.contains(u'\\') ? QDir::toNativeSeparators(folder) : folder;
    }
};

} // namespace

FileSystem::~FileSystem() = default;

Services::~Services() = default;

Services &Services::instance()
{
    if (installedServices) return *installedServices;
    static QtServices qtServices;
    return qtServices;
}

void Services::setInstance(Services *services)
{
    installedServices = services;
}

void QtServices::messageBox(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.exec();
}

std::unique_ptr<FileSystem> QtServices::createFileSystem()
{
    return std::make_unique<QtFileSystem>();
}

} // namespace tabulon::platform
