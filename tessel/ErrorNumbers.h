#pragma once

#include "../core/Error.h"

namespace tessel {

// The error numbers that tessel raises besides the shared ones of platform::Error
// (TypeMismatch and Overflow from value conversions, InvalidProcedureCall for an index out of
// range, ItemNotFound for an unknown key, NotAvailable for expressions that cannot be
// evaluated). The source of every tessel error is "tessel".
enum ErrorNumber : int {
    // An object file that cannot be read, is not valid JSON or does not describe an object.
    BadObjectFile = 1001,
    // A value that converts to the attribute's type but breaks its minimum, maximum or maximum
    // length.
    ValueRejected = 1002,
    // A unit that does not measure the same quantity as the attribute's own unit.
    UnitMismatch = 1003,
};

} // namespace tessel
