#include "scan/online_notice.h"

#include "store/characters.h"

#include <algorithm>

namespace amiscan {

namespace {

// At most this many names are given in full; a longer list names the first ones and counts the
// rest, never fewer than two of them.
constexpr qsizetype NamesInFull = 3;
constexpr qsizetype NamesBeforeCount = 2;
// A longer name is cut to this many characters and an ellipsis, so that it leaves room for the
// others and the rest of the text.
constexpr qsizetype NameLengthShown = 40;

} // namespace

// Kept as names are kept, cut when long, and isolated.
QString notifiedName(const QString &name)
{
    QString shown = cleanName(name);
    if (characterCount(shown) > NameLengthShown)
        shown = leftCharacters(shown, NameLengthShown - 1).toString() + QChar(u'\u2026');
    return mayReorderAround(shown) ? isolated(shown) : shown;
}

QString listedName(const FriendsTable &table, int row, bool userNames)
{
    return userNames ? table.cellText(row, AccountName)
                     : table.cellText(row, DisplayName) + table.cellText(row, NameMark);
}

QList<int> rowsInTableOrder(const FriendsTable &table, const QList<FriendsTable::RowId> &friends)
{
    // In table order, without walking the table.
    QList<int> rows;
    rows.reserve(friends.size());
    for (const FriendsTable::RowId id : friends) {
        if (const int row = table.findRow(id); row > 0)
            rows << row;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QString onlineAnnouncement(const QStringList &names)
{
    return namesAnnouncement(names, QStringLiteral("is online"), QStringLiteral("are online"));
}

QString namesAnnouncement(const QStringList &friendNames, const QString &one, const QString &many)
{
    QStringList names;
    for (const QString &name : friendNames)
        names << notifiedName(name);
    switch (names.size()) {
    case 0:
        return {};
    case 1:
        return names.constFirst() + u' ' + one;
    default:
        break;
    }
    // One pass of arg(): a "%2" in a name stays as it is.
    if (names.size() > NamesInFull) {
        return QStringLiteral("%1 and %2 more %3")
            .arg(names.first(NamesBeforeCount).join(QLatin1StringView(", ")),
                 QString::number(names.size() - NamesBeforeCount), many);
    }
    return QStringLiteral("%1 and %2 %3")
        .arg(names.first(names.size() - 1).join(QLatin1StringView(", ")), names.constLast(), many);
}

} // namespace amiscan
