#pragma once

// Reuse of a discarded table's row memory by the table that replaces it. Internal to the
// library (never installed): a speed-up of reloads, not part of what a record set offers.

#include "platform/RecordSet.h"

#include <memory>

namespace tabulon::platform {

class TABULON_AUTOTEST_EXPORT RecordSetReuse
{
public:
    // Discards `previous`, keeping its row memory for the rows `next` appends next: a reload
    // then empties each old row just before writing the new one there, while it is in cache,
    // instead of freeing one large table and filling another. Taken only from an open table
    // with the same row layout, no clone and no notification running, into an open table
    // with no rows and nothing taken yet; otherwise `previous` is simply destroyed. Its
    // values stay in the memory not yet reused, so call releaseRecycledRows() once the rows
    // are all added (destroying `next` also frees it).
    static void recycleRows(RecordSet &next, std::unique_ptr<RecordSet> previous);
    static void releaseRecycledRows(RecordSet &table);
};

} // namespace tabulon::platform
