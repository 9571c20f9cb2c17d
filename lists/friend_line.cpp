#include "lists/friend_line.h"

#include "store/characters.h"
#include "store/friends_table.h"

namespace amiscan {

namespace {

const QChar SubstitutedNameMark(0x00B2);

QString sessionFields(const FriendsTable &table, int row, bool secondSession)
{
    const int start = secondSession ? Start2 : Start1;
    const int end = secondSession ? End2 : End1;
    const int length = secondSession ? Length2 : Length1;
    return QStringLiteral(": ") + table.cell(row, start) + QStringLiteral(" - ") +
           table.cell(row, end) + QStringLiteral(" > ") + table.cell(row, length);
}

} // namespace

QString friendLine(const FriendsTable &table, int row, LineModes modes)
{
    const QString name = modes.userNames ? table.cell(row, AccountName)
                                         : table.cell(row, DisplayName) + table.cell(row, NameMark);
    return padCharacters(leftCharacters(name, NameFieldWidth).toString(), NameFieldWidth) +
           sessionFields(table, row, modes.secondSession);
}

QString companionLine(const FriendsTable &table, int row, LineModes modes)
{
    const QString name =
        modes.userNames ? table.cell(row, DisplayName) : table.cell(row, AccountName);
    return padCharacters(name, NameFieldWidth) + sessionFields(table, row, !modes.secondSession);
}

QString separatorLine()
{
    return QString(NameFieldWidth, u'-') + u'+' + QString(83, u'-');
}

QString nameFromLine(const QString &line)
{
    // Only blanks are taken off: a tab or other space in a name stays part of it.
    QStringView name = trimBlanks(leftCharacters(line, NameFieldWidth));
    if (name.endsWith(SubstitutedNameMark))
        name.chop(1);
    return name.toString();
}

} // namespace amiscan
