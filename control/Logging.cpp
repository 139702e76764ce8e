#include "control/Logging.h"

namespace tabulon {

Q_LOGGING_CATEGORY(lcTabulon, "tabulon")

} // namespace tabulon
