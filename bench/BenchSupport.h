#pragma once

#include "tessel/Collection.h"

#include <cstddef>
#include <memory>

namespace bench {

// An object of `rows` visible attributes with a realistic mix: texts, reals in millimetres,
// integers, booleans and enumerations.
std::shared_ptr<tessel::Collection> makeObject(int rows);

// Bytes of heap in use now (glibc's allocator statistics).
std::size_t heapInUse();

} // namespace bench
