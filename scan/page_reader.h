#pragma once

#include "store/characters.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace amiscan {

// One friend read from the friends page.
struct FriendEntry
{
    // The name to show: the entry's own text, the user name when that text is unusable, or
    // "unknown-" and the entry's number when both are empty.
    QString displayName;
    // The user name that identifies the friend, as the page shows it, kept as cleanName() keeps
    // names.
    QString accountName;
    // "²" when displayName holds the user name in place of the entry's text, else empty.
    QString nameMark;
};

// Pages read at most this many friends.
inline constexpr int MaxPageEntries = 200;

// Reads the friends listed on the account's friends page, in page order. directReadResult is 1
// when the page came from the direct read, which writes each entry's tag differently from the
// browser; any other value means the browser's rendering. A page without entries gives nothing.
QList<FriendEntry> readFriendsPage(const QString &pageText, int directReadResult);

} // namespace amiscan
