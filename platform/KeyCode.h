#pragma once

#include "core/Export.h"

class QKeyEvent;

namespace tabulon::platform {

// The virtual-key code of a Qt key: Tab 9, Enter/Return 13, Escape 27, Up 38, Down 40,
// Left 37, Right 39, Delete 46, letters and digits their upper-case character; 0 otherwise.
TABULON_AUTOTEST_EXPORT int keyCodeOf(int qtKey);

// The shift state that goes with a key code: 1 Shift, 2 Ctrl, 4 Alt, added up. Backtab is
// Tab with Shift.
int shiftStateOf(const QKeyEvent &event);

} // namespace tabulon::platform
