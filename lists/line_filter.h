#pragma once

#include "store/friends_table.h"

namespace amiscan {

// The main list's two filters: only selected friends, and hide offline friends.
struct LineFilter
{
    bool onlySelected = false;
    bool hideOffline = false;

    // Whether the friend's line stays out of the main list; either filter suffices.
    bool leavesOut(const FriendsTable &table, int row) const
    {
        if (hideOffline && table.cellText(row, Online).toInt() == 0)
            return true;
        return onlySelected && table.cellText(row, Unselected).toInt() == 1;
    }
};

} // namespace amiscan
