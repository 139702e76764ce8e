#pragma once

#include <QLoggingCategory>

namespace tabulon {

// The library's diagnostics ("tabulon"): persisted properties that were refused, host code
// that keeps answering a change with another one. Hosts filter it with QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(lcTabulon)

} // namespace tabulon
