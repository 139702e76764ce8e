#pragma once

#include "platform/Services.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace tabulon::test {

// Services for tests: records every message box instead of showing it, and can be told to
// fail when asked for a facility.
class RecordingServices : public platform::Services
{
public:
    struct Message {
        QString text;
        QString title;
    };

    void messageBox(QWidget *parent, const QString &text, const QString &title) override;
    std::unique_ptr<platform::FileSystem> createFileSystem() override;

    std::vector<Message> messages;
    // When set, createFileSystem() throws platform::Error with this description.
    QString failFileSystem;
    // Called after a message is recorded, to act while the "box" is open.
    std::function<void(const Message &)> onMessage;
};

// Installs a RecordingServices as the process-wide default for the scope of one test.
class ScopedServices
{
public:
    ScopedServices() { platform::Services::setInstance(&services); }
    ~ScopedServices() { platform::Services::setInstance(nullptr); }
    RecordingServices services;
};

} // namespace tabulon::test
