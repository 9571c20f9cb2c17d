#pragma once

#include "scan/page_reader.h"
#include "store/friends_table.h"

#include <QDateTime>
#include <QList>

namespace amiscan {

// Applies the friends listed on the friends page (in page order) to the table, as seen at the
// time now: refreshes display and user names, closes the session of every friend no longer
// listed, opens or resumes the session of every listed friend, keeps the previous session as the
// 2nd, appends friends seen for the first time, recomputes the session lengths and sets every
// friend's online flag. An empty list changes only the online flags.
// Answers the rows, in ascending order, of the friends who came online in this scan: a new 1st
// session started, not one resumed within the resume gap nor one still open. Friends seen for
// the first time count too, except in a scan that found the table empty: the first scan of a new
// history lists everybody online, which is not news.
QList<int> mergePresence(FriendsTable &table, const QList<FriendEntry> &entries,
                         const QDateTime &now);

// The same, visiting every row of the table rather than only those the page can change: the
// plain way, which the quick one is checked against.
QList<int> mergePresenceEveryRow(FriendsTable &table, const QList<FriendEntry> &entries,
                                 const QDateTime &now);

// Marks every session whose stored length is already the one its stamps give, changing no cell,
// so that the next merge recomputes only the others and passes over the friends it leaves as they
// are (the history reader calls it after loading).
void markCurrentLengths(FriendsTable &table);

} // namespace amiscan
