#include "tests/support/RecordingServices.h"

#include "core/Error.h"

#include <QDialog>
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

class RecordingFolderDialogHandle : public platform::FolderDialogService::Dialog
{
public:
    explicit RecordingFolderDialogHandle(RecordingFolderDialog &fake) : m_fake(fake) {}
    void setSelection(const QString &path) override
    {
        m_fake.dialogCalls << QStringLiteral("select ") + path;
    }
    void setStatusText(const QString &text) override
    {
        m_fake.dialogCalls << QStringLiteral("status ") + text;
    }
    void setOkEnabled(bool enabled) override
    {
        m_fake.dialogCalls << (enabled ? QStringLiteral("ok 1") : QStringLiteral("ok 0"));
    }
    QWidget *window() override { return &m_fake.window; }

private:
    RecordingFolderDialog &m_fake;
};

[[noreturn]] void fail(const char *fake, const QString &description)
{
    throw platform::Error(platform::Error::NotAvailable, QString::fromLatin1(fake), description);
}

} // namespace

void RecordingMessageBox::warning(QWidget *, const QString &text, const QString &title)
{
    messages.push_back({text, title});
    if (onMessage) onMessage(messages.back());
}

std::optional<QString> RecordingFileDialog::openFile(QWidget *, const OpenRequest &request)
{
    requests.push_back(request);
    if (!failure.isEmpty()) fail("RecordingFileDialog", failure);
    if (answers.empty()) return std::nullopt;
    // Taken apart: copying the optional whole draws a false maybe-uninitialized from GCC.
    const bool chosen = answers.front().has_value();
    const QString path = answers.front().value_or(QString());
    answers.pop_front();
    if (!chosen) return std::nullopt;
    return path;
}

std::optional<platform::FolderDialogService::Selection>
RecordingFolderDialog::browse(const Request &request)
{
    requests.push_back(request);
    if (request.listener) {
        RecordingFolderDialogHandle dialog(*this);
        request.listener->initialized(dialog);
        for (const QString &path : walk)
            request.listener->selectionChanged(dialog, path);
    }
    return answer;
}

int RecordingModalDialog::exec(QDialog &dialog)
{
    shown << dialog.objectName();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    if (onShow) onShow(dialog);
    if (dialog.isVisible()) dialog.reject();
    return dialog.result();
}

QString RecordingLocalisation::translate(const QString &context, const QString &text)
{
    asked << context + u'|' + text;
    return translations.value(text, text);
}

std::optional<QString> RecordingLocalisation::string(int id)
{
    asked << u'#' + QString::number(id);
    const auto it = strings.constFind(id);
    return it == strings.cend() ? std::nullopt : std::optional<QString>(*it);
}

std::unique_ptr<platform::FileSystem> RecordingFileSystem::createFileSystem()
{
    if (!failure.isEmpty()) fail("RecordingFileSystem", failure);
    ++created;
    return std::make_unique<PlainFileSystem>();
}

} // namespace tabulon::test
