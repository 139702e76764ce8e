#pragma once

#include "core/Export.h"

class QKeyEvent;

namespace tabulon::platform {

// The virtual-key codes the grid and the list report and their handlers compare with.
enum KeyCode : int {
    kKeyTab = 9,
    kKeyEnter = 13,
    kKeyEscape = 27,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyDelete = 46,
};

// The virtual-key code of a Qt key: one of the codes above (Backtab is Tab, Return is Enter),
// letters and digits their upper-case character; 0 otherwise.
TABULON_AUTOTEST_EXPORT int keyCodeOf(int qtKey);

// The shift state that goes with a key code: 1 Shift, 2 Ctrl, 4 Alt, added up. Backtab is
// Tab with Shift.
int shiftStateOf(const QKeyEvent &event);

} // namespace tabulon::platform
