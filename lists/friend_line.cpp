#include "lists/friend_line.h"

#include "store/characters.h"
#include "store/friends_table.h"
#include "store/time_text.h"

namespace amiscan {

namespace {

void appendSessionFields(QString &line, const FriendsTable &table, int row, bool secondSession)
{
    line += QLatin1StringView(": ");
    line += table.cellText(row, secondSession ? Start2 : Start1);
    line += QLatin1StringView(" - ");
    line += table.cellText(row, secondSession ? End2 : End1);
    line += QLatin1StringView(" > ");
    line += table.cellText(row, secondSession ? Length2 : Length1);
}

// The name field from the name the line holds so far: isolated when the name could reorder the
// rest of the line, then blanks up to the field's width in characters (the isolate's marks take
// no room); a longer name is left as it is.
void finishNameField(QString &line)
{
    qsizetype shown = characterCount(line);
    if (mayReorderAround(line)) {
        line = isolated(line);
        shown = characterCount(line) - 2;
    }
    if (const qsizetype missing = NameFieldWidth - shown; missing > 0)
        line.resize(line.size() + missing, u' ');
}

// The longest line with cells of their standard widths, and room to spare.
constexpr qsizetype LineCapacity = 64;

} // namespace

QString friendLine(const FriendsTable &table, int row, LineModes modes)
{
    QString line;
    line.reserve(LineCapacity);
    if (modes.userNames) {
        line += table.cellText(row, AccountName);
    } else {
        line += table.cellText(row, DisplayName);
        line += table.cellText(row, NameMark);
    }
    // Cut or padded to exactly the name field, counted in characters.
    line.truncate(leftCharacters(line, NameFieldWidth).size());
    finishNameField(line);
    appendSessionFields(line, table, row, modes.secondSession);
    return line;
}

QString companionLine(const FriendsTable &table, int row, LineModes modes)
{
    QString line;
    line.reserve(LineCapacity);
    line += table.cellText(row, modes.userNames ? DisplayName : AccountName);
    // Padded, never cut: a long name is kept whole.
    finishNameField(line);
    appendSessionFields(line, table, row, !modes.secondSession);
    return line;
}

QString spokenFriendLine(const FriendsTable &table, int row, LineModes modes)
{
    QString spoken = modes.userNames
                         ? table.cellText(row, AccountName)
                         : table.cellText(row, DisplayName) + table.cellText(row, NameMark);
    const QString &start = table.cellText(row, modes.secondSession ? Start2 : Start1);
    const QString &end = table.cellText(row, modes.secondSession ? End2 : End1);
    if (start == EmptyStamp)
        return spoken + QLatin1StringView(", no session");
    if (end == EmptyStamp)
        return spoken + QLatin1StringView(", online since ") + start;
    return spoken + QLatin1StringView(", from ") + start + QLatin1StringView(" to ") + end +
           QLatin1StringView(", ") + table.cellText(row, modes.secondSession ? Length2 : Length1);
}

QString spokenLine(const QString &line)
{
    return line == separatorLine() ? QStringLiteral("Offline friends") : line;
}

QString separatorLine()
{
    return QString(NameFieldWidth, u'-') + u'+' + QString(83, u'-');
}

QString nameFromLine(const QString &line)
{
    // Only blanks are taken off: a tab or other space in a name stays part of it.
    const qsizetype isolateEnd = line.indexOf(QChar(IsolateEnd));
    QStringView name = line.startsWith(QChar(IsolateStart)) && isolateEnd > 0
                           ? QStringView(line).sliced(1, isolateEnd - 1)
                           : leftCharacters(line, NameFieldWidth);
    name = trimBlanks(name);
    if (name.endsWith(SubstitutedNameMark))
        name.chop(1);
    return name.toString();
}

} // namespace amiscan
