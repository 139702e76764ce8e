// A stored form as the container hands it back: an INI file with any content. Reading it
// into a control never raises and leaves every property in its range.

#include "control/ctlAttributes.h"
#include "platform/PropertyBag.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryFile>

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_property_bag";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_LOGGING_RULES", "tabulon.warning=false");
        return new QApplication(argc, argv);
    }();
    (void)app;
    static tabulon::ctlAttributes *control = new tabulon::ctlAttributes;

    QTemporaryFile file;
    if (!file.open()) return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    QSettings settings(file.fileName(), QSettings::IniFormat);
    const tabulon::platform::SettingsPropertyBag bag(settings);
    control->ReadProperties(bag);
    const float height = control->RowHeight();
    if (!std::isfinite(height) || height < 90 || height > 14400) __builtin_trap();
    if (control->DisplayOrder() != tabulon::ctlAttributes::eGDODefault &&
        control->DisplayOrder() != tabulon::ctlAttributes::eGDOInsertion)
        __builtin_trap();
    return 0;
}
