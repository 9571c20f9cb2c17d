#pragma once

#include "scan/page_reader.h"
#include "store/friends_table.h"

#include <QDateTime>
#include <QList>

namespace amiscan {

// Applies the friends listed on the friends page (in page order) to the table, as seen at the
// time now: refreshes display names and their marks by user name (rows of the older history
// layout get their user name by display name, each user name going to one row at most), closes
// the session of every friend no longer listed, opens or resumes the session of every listed
// friend, keeps the previous session as the 2nd, appends friends seen for the first time,
// recomputes the session lengths and sets every friend's online flag. An empty list changes only
// the online flags (and ends open sessions at a step of the clock). No session ends before it
// starts, and none is resumed across a negative gap or a step of the clock.
//
// Answers the rows, in ascending order, of the friends who came online in this scan: a new 1st
// session started, not one resumed within the resume gap nor one still open. Friends seen for
// the first time count too, except in a scan that found the table empty: the first scan of a new
// history lists everybody online, which is not news.
//
// wentOffline, when given, receives the rows of the friends online before that are not now.
//
// steppedFrom is valid when the wall clock was set since the previous scan of the run (see
// ClockStepWatch): it is that scan's time, and every open session ends there.
QList<int> mergePresence(FriendsTable &table, const QList<FriendEntry> &entries,
                         const QDateTime &now, const QDateTime &steppedFrom = {},
                         QList<int> *wentOffline = nullptr);

// The same, visiting every row of the table rather than only those the page can change: the
// plain way, which the quick one is checked against.
QList<int> mergePresenceEveryRow(FriendsTable &table, const QList<FriendEntry> &entries,
                                 const QDateTime &now, const QDateTime &steppedFrom = {},
                                 QList<int> *wentOffline = nullptr);

// Marks every session whose stored length is already the one its stamps give, changing no cell,
// so that the next merge recomputes only the others and passes over the friends it leaves as they
// are (the history reader calls it after loading).
void markCurrentLengths(FriendsTable &table);

} // namespace amiscan
