#pragma once

// Hints that fetch memory ahead of a walk over many values. Internal: never installed, so
// that nothing compiler-specific reaches a host's build.

#include "core/Variant.h"

#include <QString>

namespace tabulon::platform {

/// Asks the processor to fetch the cache line at `address`; does nothing where the compiler
/// offers no such hint. A prefetch never faults, whatever the address.
inline void prefetchLine(const void *address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

/// Fetches a text's shared header ahead of use. Every copy and release of a QString changes
/// the reference count in that header with a locked instruction, which waits for the line: a
/// walk over many texts that are not in cache fetches a few ahead, so that the misses overlap
/// instead of stalling one after another. A text without a header asks for address 0, which
/// is harmless; testing for it first made GCC 12 drop the prefetch altogether.
inline void prefetchText(const QString &text)
{
    prefetchLine(const_cast<QString &>(text).data_ptr().d_ptr());
}

/// The same for a value, if it holds a text.
inline void prefetchValue(const Variant &value)
{
    if (value.type() == Variant::Type::String) prefetchText(value.stringValue());
}

} // namespace tabulon::platform
