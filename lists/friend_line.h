#pragma once

#include <QStringList>

namespace amiscan {

class FriendsTable;

// How a line shows a friend: which name (display or user name) and which session.
struct LineModes
{
    bool userNames = false;     // the name check box: user names instead of display names
    bool secondSession = false; // the 2nd session shown instead of the 1st
};

// Width of the name field of every list line, in characters (a character outside the basic
// plane counts once, and is never cut apart).
inline constexpr int NameFieldWidth = 18;

// The fixed-width line of a friend: the name cut or padded to 18 characters, ": ", then the
// shown session's start, " - ", end, " > ", length, copied as stored. A name that could reorder
// the rest of the line (see mayReorderAround) stands isolated, its marks counting for nothing.
QString friendLine(const FriendsTable &table, int row, LineModes modes);

// The help line's text for a selected friend: the other name, not cut, and the other session.
// A name longer than the name field is kept whole, with no blanks after it.
QString companionLine(const FriendsTable &table, int row, LineModes modes);

// A friend's line as a screen reader says it, in words rather than columns of dots: the whole
// name as the line shows it, then the session shown ("Ann, online since 07/09/12 22:53", "Bob,
// from 04/09/12 14:19 to 04/09/12 16:02, 01:43", "Cy, no session").
QString spokenFriendLine(const FriendsTable &table, int row, LineModes modes);
// Any other line as a screen reader says it: the separator by the friends below it, the rest as
// it stands.
QString spokenLine(const QString &line);

// The main list's line between online and offline friends; it holds no ":", which tells it
// apart from a friend line.
QString separatorLine();

// The name a list line was built from, as far as the line keeps it: its name field without
// leading and trailing blanks, and without the substituted-name mark "²".
QString nameFromLine(const QString &line);

} // namespace amiscan
