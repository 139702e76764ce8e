#include "tests/support/RecordingServices.h"

#include "core/Error.h"

#include <QDialog>
#include <QFileInfo>

#include <utility>

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

class RecordingFolderDialogHandle : public platform::FolderDialogService::Dialog
{
public:
    explicit RecordingFolderDialogHandle(RecordingFolderDialog &fake) : m_fake(fake) {}
    void setStatusText(const QByteArray &text) override
    {
        m_fake.messages << QStringLiteral("status ") + QString::fromLocal8Bit(text);
    }
    void enableOk(bool enabled) override
    {
        m_fake.messages << (enabled ? QStringLiteral("ok 1") : QStringLiteral("ok 0"));
    }
    void setSelection(const platform::ItemIdList *item) override
    {
        m_fake.messages << (QStringLiteral("select ") + describe(item)).trimmed();
        // As a real dialog does: a new selection is reported, the same one is not.
        if (describe(item) != describe(m_fake.m_selection))
            m_fake.moveTo(platform::ShellAllocator::instance().clone(item));
    }
    void setWindowText(const QByteArray &text) override
    {
        m_fake.messages << QStringLiteral("caption ") + QString::fromLocal8Bit(text);
    }
    void setFocus() override { m_fake.messages << QStringLiteral("focus"); }
    void close() override
    {
        m_fake.messages << QStringLiteral("close");
        m_fake.m_closed = true;
    }
    QWidget *window() override { return &m_fake.window; }

    // A path, or ":NAME" for a virtual item.
    static QString describe(const platform::ItemIdList *item)
    {
        platform::PathBuffer path{};
        if (platform::getPathFromIdList(item, path)) return QString::fromLocal8Bit(path.data());
        return item ? u':' + platform::itemDisplayName(item) : QString();
    }

private:
    RecordingFolderDialog &m_fake;
};

platform::ItemIdList *RecordingFolderDialog::browse(Request &request)
{
    requests.push_back({request.owner, QString::fromLocal8Bit(request.title), request.flags,
                        RecordingFolderDialogHandle::describe(request.root)});
    platform::ShellAllocator &allocator = platform::ShellAllocator::instance();
    m_request = &request;
    m_closed = false;
    notify(platform::BFFM_INITIALIZED, nullptr, {});
    for (const QString &step : std::as_const(script)) {
        if (m_closed) break;
        const QString verb = step.section(u' ', 0, 0);
        const QString argument = step.section(u' ', 1);
        if (verb == u"select")
            moveTo(allocator.allocate(argument, QFileInfo(argument).fileName()));
        else if (verb != u"type" ||
                 !notify(platform::BFFM_VALIDATEFAILEDA, nullptr, argument.toLocal8Bit()))
            break;
    }
    allocator.free(std::exchange(m_selection, nullptr));
    m_request = nullptr;
    return nullptr;
}

void RecordingFolderDialog::moveTo(platform::ItemIdList *item)
{
    platform::ShellAllocator::instance().free(std::exchange(m_selection, item));
    notify(platform::BFFM_SELCHANGED, m_selection, {});
}

qint32 RecordingFolderDialog::notify(unsigned message, const platform::ItemIdList *item,
                                     const QByteArray &text)
{
    if (!m_request || !m_request->callback) return 0;
    RecordingFolderDialogHandle dialog(*this);
    return m_request->callback(dialog, message, {item, text}, m_request->callbackData);
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
