#include "tests/support/RecordingServices.h"

#include "core/Error.h"

#include <QFileInfo>

namespace tabulon::test {

namespace {
class PlainFileSystem : public platform::FileSystem
{
public:
    QString parentFolderName(const QString &path) const override
    {
        const QString dir = QFileInfo(path).path();
        return dir == QLatin1String(".") ? QString() : dir;
    }
};
} // namespace

void RecordingServices::messageBox(QWidget *, const QString &text, const QString &title)
{
    messages.push_back({text, title});
    if (onMessage)
        onMessage(messages.back());
}

std::unique_ptr<platform::FileSystem> RecordingServices::createFileSystem()
{
    if (!failFileSystem.isEmpty())
        throw platform::Error(429, QStringLiteral("RecordingServices"), failFileSystem);
    return std::make_unique<PlainFileSystem>();
}

} // namespace tabulon::test
