#pragma once

#include <QMainWindow>

#include <memory>

class QPlainTextEdit;
class QSettings;

namespace tabulon {
class AttributeCollection;
class ctlAttributes;
namespace platform {
struct Services;
}
} // namespace tabulon

// The demo host: the attribute editor bound to one object, a log of every change it reports,
// and its design-time properties kept between runs. The editor uses `services` (not owned).
class DemoWindow : public QMainWindow
{
    Q_OBJECT
public:
    DemoWindow(std::shared_ptr<tabulon::AttributeCollection> object, const QString &origin,
               QSettings &settings, const tabulon::platform::Services &services);
    ~DemoWindow() override;

    tabulon::ctlAttributes *editor() const { return m_editor; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void log(const QString &line);
    void saveProperties();

    QSettings &m_settings;
    tabulon::ctlAttributes *m_editor;
    QPlainTextEdit *m_log;
    std::shared_ptr<tabulon::AttributeCollection> m_object;
};
