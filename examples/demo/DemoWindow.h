#pragma once

#include "platform/Services.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QLabel;
class QPlainTextEdit;
class QSettings;

namespace tabulon {
class AttributeCollection;
class ctlAttributes;
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
    // Opens the expression builder for the attribute `name` and, after OK, stores the
    // expression in it.
    void buildExpression(const QString &name);
    // The names of the object's expression attributes, the ones the Expressions menu offers.
    QStringList expressionAttributes() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void log(const QString &line);
    void saveProperties();

    QSettings &m_settings;
    const tabulon::platform::Services m_services;
    tabulon::ctlAttributes *m_editor;
    QPlainTextEdit *m_log;
    QLabel *m_selected;
    std::shared_ptr<tabulon::AttributeCollection> m_object;
};
