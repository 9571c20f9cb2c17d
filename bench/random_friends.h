#pragma once

#include "store/friends_table.h"

#include <random>

namespace amiscan {

// Friends in no particular order, about one in five online and one in ten unselected.
inline FriendsTable randomFriends(int count)
{
    std::mt19937 random(20121014);
    std::uniform_int_distribution<int> letter(0, 25);
    std::uniform_int_distribution<int> percent(0, 99);
    FriendsTable table;
    for (int i = 0; i < count; ++i) {
        QString name;
        for (int c = 0; c < 10; ++c)
            name += QChar(u'a' + letter(random));
        name[0] = name[0].toUpper();
        const int row = table.appendFriend();
        table.setCell(row, DisplayName, name + QStringLiteral(" Example"));
        table.setCell(row, Start1, QStringLiteral("04/09/12 14:19"));
        table.setCell(row, End1, QStringLiteral("04/09/12 16:02"));
        table.setCell(row, Length1, QStringLiteral("01:43"));
        table.setCell(row, Start2, QStringLiteral(".. .. .. .. .."));
        table.setCell(row, End2, QStringLiteral(".. .. .. .. .."));
        table.setCell(row, Length2, QStringLiteral(".. .."));
        table.setCell(row, ManagePos, QStringLiteral("-1"));
        table.setCell(row, Online,
                      percent(random) < 20 ? QStringLiteral("1") : QStringLiteral("0"));
        table.setCell(row, Unselected,
                      percent(random) < 10 ? QStringLiteral("1") : QStringLiteral("0"));
        table.setCell(row, AccountName, name.toLower() + QString::number(i));
    }
    return table;
}

} // namespace amiscan
