#pragma once

#include <QString>

namespace tabulon::platform {

// What a list identifies: the item's file-system path (empty for a virtual item) and the name
// it is shown by.
struct ItemIdList
{
    QString path;
    QString displayName;
};

} // namespace tabulon::platform
