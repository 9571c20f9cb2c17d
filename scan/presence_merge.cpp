#include "scan/presence_merge.h"

#include "store/time_text.h"

#include <QHash>

#include <algorithm>
#include <optional>
#include <vector>

namespace amiscan {

namespace {

// A friend back online less than this long after the end of the last session continues it.
constexpr WallSeconds ResumeGap = 10 * 60;
// The gap assumed when the end of the last session cannot be read; never a resumption.
constexpr WallSeconds UnreadableEndGap = 50 * 60;

const QString OnlineFlag = QStringLiteral("1");
const QString OfflineFlag = QStringLiteral("0");
const QString UnbuiltManagePos = QStringLiteral("-1");
const QString SelectedMark = QStringLiteral("0");

// Stamps start with a digit, so most comparisons end at the first character.
bool isEmptyStamp(const QString &text)
{
    return !text.isEmpty() && text.front() == u'.' && text == EmptyStamp;
}

void setIfChanged(FriendsTable &table, int row, int column, const QString &text)
{
    // Cells written by earlier scans share their text with ours, which spares most comparisons.
    const QString &current = table.cellText(row, column);
    if (current.size() == text.size() &&
        (current.constData() == text.constData() || current == text))
        return;
    table.setCell(row, column, text);
}

// What each name on the page stands for. Entries later on the page overwrite earlier ones, so
// every user name leads to its last entry, as when the entries are applied one after another;
// a display name leads to all of its entries, in page order.
struct PageIndex
{
    QHash<QString, qsizetype> lastByAccount;
    QHash<QString, QList<qsizetype>> byDisplayName;
    // Whether a friend row holds the user name, kept at the user name's last entry.
    std::vector<bool> accountInTable;

    explicit PageIndex(const QList<FriendEntry> &entries) : accountInTable(entries.size(), false)
    {
        lastByAccount.reserve(entries.size());
        byDisplayName.reserve(entries.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            lastByAccount.insert(entries.at(i).accountName, i);
            byDisplayName[entries.at(i).displayName].append(i);
        }
    }
};

// The entry that gives its user name to a row that has none of its own: a row read from the
// older history layout, whose user name is a copy of its display name, and that no entry names
// by user name. The first entry of that display name whose user name no friend holds yet gives
// it, so that a user name goes to one row at most and namesakes who have their own user names
// stay apart. -1 when there is none.
qsizetype userNameGiver(FriendsTable &table, int row, const PageIndex &page,
                        const QList<FriendEntry> &entries)
{
    const QString &name = table.cellText(row, DisplayName);
    const auto named = page.byDisplayName.constFind(name);
    if (named == page.byDisplayName.cend() || table.cellText(row, AccountName) != name)
        return -1;
    for (const qsizetype i : *named) {
        const QString &account = entries.at(i).accountName;
        if (!account.isEmpty() && table.friendsNamed(AccountName, account).isEmpty())
            return i;
    }
    return -1;
}

// Whether the stamp reads as a time later than the given one.
bool startsAfter(const QString &start, WallSeconds time)
{
    const std::optional<WallSeconds> startTime = readStamp(start);
    return startTime && *startTime > time;
}

// Ends an open session at the given time, or at its start when it started later (the clock was
// set back since): no session ends before it starts.
void endSession(FriendsTable &table, int row, WallSeconds time, const QString &stamp)
{
    const QString &start = table.cellText(row, Start1);
    table.setCell(row, End1, startsAfter(start, time) ? start : stamp);
}

// The time of a scan: now, and when the wall clock was set since the previous scan of the run,
// that scan's time, the last the clock is known to have shown right.
struct ScanTime
{
    WallSeconds now;
    QString nowStamp;
    std::optional<WallSeconds> steppedFrom;
    QString steppedFromStamp;
};

// Ends an open session at the last time the clock was right: the time between is unknown.
void endAtClockStep(FriendsTable &table, int row, const ScanTime &time)
{
    if (time.steppedFrom && isEmptyStamp(table.cellText(row, End1)) &&
        !isEmptyStamp(table.cellText(row, Start1)))
        endSession(table, row, *time.steppedFrom, time.steppedFromStamp);
}

// Ends an open session at this scan: the friend is offline.
void closeSession(FriendsTable &table, int row, const ScanTime &time)
{
    if (isEmptyStamp(table.cellText(row, End1)))
        endSession(table, row, time.now, time.nowStamp);
}

// The friend is online: resume a session that ended moments ago, otherwise keep the last complete
// session as the 2nd and start a new one. An open session stays as it is, unless it starts later
// than now (the clock was set back): it ends at its start. Answers whether a new session started.
bool openSession(FriendsTable &table, int row, const ScanTime &time)
{
    const WallSeconds now = time.now;
    const QString &nowStamp = time.nowStamp;
    if (isEmptyStamp(table.cellText(row, End1)) && startsAfter(table.cellText(row, Start1), now))
        table.setCell(row, End1, table.cellText(row, Start1));
    if (const QString &end = table.cellText(row, End1); !isEmptyStamp(end)) {
        const std::optional<WallSeconds> endTime = readStamp(end);
        const WallSeconds gap = endTime ? now - *endTime : UnreadableEndGap;
        // A gap across a step of the clock, or a negative one, tells nothing of the time away.
        if (gap >= 0 && gap < ResumeGap && !time.steppedFrom) {
            table.setCell(row, End1, EmptyStamp);
            table.setCell(row, Length1, EmptyLength);
        }
    }
    if (!isEmptyStamp(table.cellText(row, Start1)) &&
        trimBlanks(table.cellText(row, End1)) != QStringView(EmptyStamp)) {
        table.setCell(row, Start2, table.cellText(row, Start1));
        table.setCell(row, End2, table.cellText(row, End1));
        table.setCell(row, Length2, table.cellText(row, Length1));
        table.setCell(row, Start1, EmptyStamp);
        table.setCell(row, End1, EmptyStamp);
        table.setCell(row, Length1, EmptyLength);
    }
    if (!isEmptyStamp(table.cellText(row, Start1)))
        return false;
    table.setCell(row, Start1, nowStamp);
    table.setCell(row, End1, EmptyStamp);
    table.setCell(row, Length1, EmptyLength);
    return true;
}

// A complete session's length is recomputed from its stamps when the start is earlier than the
// end; otherwise (same minute, unreadable stamp) the length is left as it is (no value).
std::optional<QString> computedLength(const FriendsTable &table, int row, int startColumn)
{
    const QString &start = table.cellText(row, startColumn);
    const QString &end = table.cellText(row, startColumn + 1);
    if (isEmptyStamp(start) || isEmptyStamp(end))
        return std::nullopt;
    const std::optional<WallSeconds> startTime = readStamp(start);
    if (!startTime)
        return std::nullopt;
    const std::optional<WallSeconds> endTime = readStamp(end);
    if (!endTime || *startTime >= *endTime)
        return std::nullopt;
    return lengthText((*endTime - *startTime) / 60);
}

void recomputeLength(FriendsTable &table, int row, int startColumn)
{
    if (const std::optional<QString> length = computedLength(table, row, startColumn))
        setIfChanged(table, row, startColumn + 2, *length);
}

// Another computation would give the same length until one of the session's cells is written
// again, which the table's mark tells, so a scan reads only the stamps that changed.
void updateLength(FriendsTable &table, int row, Session session)
{
    if (table.isLengthCurrent(row, session))
        return;
    recomputeLength(table, row, session == Session::First ? Start1 : Start2);
    table.markLengthCurrent(row, session);
}

// A row that a scan not listing the friend leaves as it is: the session closed, its lengths
// current and the friend offline.
bool atRest(const FriendsTable &table, int row)
{
    return !isEmptyStamp(table.cellText(row, End1)) && table.isLengthCurrent(row, Session::First) &&
           table.isLengthCurrent(row, Session::Second) &&
           table.cellText(row, Online) == OfflineFlag;
}

// The rows the page can change: those the page names by user name or display name, and those
// not at rest. Every other row is at rest and not listed, which leaves it as it is. Ascending.
QList<int> rowsToVisit(FriendsTable &table, const PageIndex &page, bool everyRow)
{
    QList<int> rows = table.unsettledRows();
    if (everyRow) {
        rows.clear();
        for (int row = 1; row <= table.friendCount(); ++row)
            rows << row;
        return rows;
    }
    const auto addNamed = [&](int column, const QString &name) {
        for (const FriendsTable::RowId id : table.friendsNamed(column, name))
            rows << table.findRow(id);
    };
    for (auto name = page.lastByAccount.cbegin(); name != page.lastByAccount.cend(); ++name)
        addNamed(AccountName, name.key());
    for (auto name = page.byDisplayName.cbegin(); name != page.byDisplayName.cend(); ++name)
        addNamed(DisplayName, name.key());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// Answers the new row, or -1 when the table is full.
int appendNewFriend(FriendsTable &table, const FriendEntry &entry, const QString &nowStamp)
{
    const int row = table.appendFriend();
    if (row < 0)
        return row;
    table.setCell(row, DisplayName, entry.displayName);
    table.setCell(row, Start1, nowStamp);
    table.setCell(row, End1, EmptyStamp);
    table.setCell(row, Length1, EmptyLength);
    table.setCell(row, Start2, EmptyStamp);
    table.setCell(row, End2, EmptyStamp);
    table.setCell(row, Length2, EmptyLength);
    table.setCell(row, NameMark, entry.nameMark);
    table.setCell(row, ManagePos, UnbuiltManagePos);
    table.setCell(row, Online, OnlineFlag); // listed on the page that added it
    table.setCell(row, Unselected, SelectedMark);
    table.setCell(row, AccountName, entry.accountName);
    // An open session and an empty one: no length to compute.
    table.markLengthCurrent(row, Session::First);
    table.markLengthCurrent(row, Session::Second);
    return row;
}

} // namespace

namespace {

QList<int> merge(FriendsTable &table, const QList<FriendEntry> &entries, const QDateTime &now,
                 const QDateTime &steppedFrom, bool everyRow, QList<int> *wentOffline)
{
    ScanTime time{wallSeconds(now), formatStamp(now), std::nullopt, {}};
    if (steppedFrom.isValid()) {
        time.steppedFrom = wallSeconds(steppedFrom);
        time.steppedFromStamp = formatStamp(steppedFrom);
    }

    // Each row's changes depend only on that row and the page, which lets one pass do all the
    // work for a row; rows at rest that the page does not name are passed over, so the cost
    // grows with the entries and the friends online, not with the table. Open sessions never
    // are at rest.
    if (entries.isEmpty()) {
        for (const int row :
             everyRow ? rowsToVisit(table, PageIndex({}), true) : table.unsettledRows()) {
            if (time.steppedFrom) {
                endAtClockStep(table, row, time);
                updateLength(table, row, Session::First);
            }
            if (wentOffline && table.cellText(row, Online) == OnlineFlag)
                *wentOffline << row;
            setIfChanged(table, row, Online, OfflineFlag);
            if (atRest(table, row))
                table.settle(row);
        }
        table.forgetSettled();
        return {};
    }

    PageIndex page(entries);
    const int existingRows = table.friendCount();
    QList<int> cameOnline;
    const QList<int> visited = rowsToVisit(table, page, everyRow);
    for (const int row : visited) {
        // The entry that names the row by user name gives it its display name and its mark.
        auto listedAs = page.lastByAccount.constFind(table.cellText(row, AccountName));
        if (listedAs != page.lastByAccount.cend()) {
            setIfChanged(table, row, DisplayName, entries.at(*listedAs).displayName);
            setIfChanged(table, row, NameMark, entries.at(*listedAs).nameMark);
        } else if (const qsizetype giver = userNameGiver(table, row, page, entries); giver >= 0) {
            const QString &account = entries.at(giver).accountName;
            setIfChanged(table, row, AccountName, account);
            setIfChanged(table, row, NameMark, entries.at(giver).nameMark);
            listedAs = page.lastByAccount.constFind(account);
        }

        endAtClockStep(table, row, time);
        const bool listed = listedAs != page.lastByAccount.cend();
        if (listed) {
            page.accountInTable[*listedAs] = true;
            if (openSession(table, row, time))
                cameOnline << row;
        } else {
            closeSession(table, row, time);
        }
        updateLength(table, row, Session::First);
        updateLength(table, row, Session::Second);
        if (wentOffline && !listed && table.cellText(row, Online) == OnlineFlag)
            *wentOffline << row;
        setIfChanged(table, row, Online, listed ? OnlineFlag : OfflineFlag);
        if (atRest(table, row))
            table.settle(row);
    }

    // Friends seen for the first time, in page order. A user name listed twice gives one row, and
    // an empty user name matches the empty row 0 once the table holds anyone.
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const FriendEntry &entry = entries.at(i);
        const qsizetype last = page.lastByAccount.value(entry.accountName);
        const bool found =
            page.accountInTable[last] || (entry.accountName.isEmpty() && table.friendCount() > 0);
        if (found)
            continue;
        if (const int row = appendNewFriend(table, entry, time.nowStamp);
            row > 0 && existingRows > 0)
            cameOnline << row;
        page.accountInTable[last] = true;
    }
    table.forgetSettled();
    return cameOnline;
}

} // namespace

QList<int> mergePresence(FriendsTable &table, const QList<FriendEntry> &entries,
                         const QDateTime &now, const QDateTime &steppedFrom,
                         QList<int> *wentOffline)
{
    return merge(table, entries, now, steppedFrom, false, wentOffline);
}

QList<int> mergePresenceEveryRow(FriendsTable &table, const QList<FriendEntry> &entries,
                                 const QDateTime &now, const QDateTime &steppedFrom,
                                 QList<int> *wentOffline)
{
    return merge(table, entries, now, steppedFrom, true, wentOffline);
}

void markCurrentLengths(FriendsTable &table)
{
    for (int row = 1; row <= table.friendCount(); ++row) {
        for (const Session session : {Session::First, Session::Second}) {
            const int start = session == Session::First ? Start1 : Start2;
            const std::optional<QString> length = computedLength(table, row, start);
            if (!length || *length == table.cellText(row, start + 2))
                table.markLengthCurrent(row, session);
        }
        if (atRest(table, row))
            table.settle(row);
    }
    table.forgetSettled();
}

} // namespace amiscan
