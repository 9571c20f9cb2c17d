#pragma once
#include "store/friends_table.h"
#include <QByteArray>
#include <QString>

// Friend rows for list tests, filled the way the history reader and the scan fill them.
namespace friend_rows {

inline const QString NoTime = QStringLiteral(".. .. .. .. ..");
// A history file as the program writes it: two friends, the first unselected.
inline const QByteArray ExampleHistory =
    "Friends (2)         :     Start      -      End       - Length:     Start      -      End"
    "       - Length: F : User Name (14/10 - 21:05)\r\n--------------------+--------------------"
    "---------------------+-----------------------------------------+---+----------------------"
    "----\r\nExample Friend Name : 14/10/12 20:15 - .. .. .. .. .. > .. .. : 13/10/12 18:02 - "
    "13/10/12 19:47 > 01:45 : X : exampleuser\r\nusertwo\xB2            : 12/10/12 09:30 - "
    "12/10/12 11:05 > 01:35 : .. .. .. .. .. - .. .. .. .. .. > .. .. : - : usertwo\r\n";
inline const QString NoLength = QStringLiteral(".. ..");

struct Friend
{
    QString displayName;
    QString accountName;
    bool online = false;
    bool selected = true;
    QString nameMark = {};
    QString start1 = QStringLiteral("04/09/12 14:19");
    QString end1 = QStringLiteral("04/09/12 16:02");
    QString length1 = QStringLiteral("01:43");
    QString start2 = NoTime;
    QString end2 = NoTime;
    QString length2 = NoLength;
};

inline int add(amiscan::FriendsTable &table, const Friend &f)
{
    using namespace amiscan;
    const int row = table.appendFriend();
    table.setCell(row, DisplayName, f.displayName);
    table.setCell(row, Start1, f.start1);
    table.setCell(row, End1, f.online ? NoTime : f.end1);
    table.setCell(row, Length1, f.online ? NoLength : f.length1);
    table.setCell(row, Start2, f.start2);
    table.setCell(row, End2, f.end2);
    table.setCell(row, Length2, f.length2);
    table.setCell(row, NameMark, f.nameMark);
    table.setCell(row, ManagePos, QStringLiteral("-1"));
    table.setCell(row, Online, f.online ? QStringLiteral("1") : QStringLiteral("0"));
    table.setCell(row, Unselected, f.selected ? QStringLiteral("0") : QStringLiteral("1"));
    table.setCell(row, AccountName, f.accountName);
    return row;
}

// A friend known only by one name, the user name standing for the display name too.
inline int add(amiscan::FriendsTable &table, const QString &name, bool online = false,
               bool selected = true)
{
    return add(table, Friend{name, name.toLower(), online, selected});
}

inline QStringList column(const amiscan::FriendsTable &table, int col)
{
    QStringList cells;
    for (int row = 1; row <= table.friendCount(); ++row)
        cells << table.cell(row, col);
    return cells;
}

// Every cell of the friends' rows, column by column.
inline QStringList cells(const amiscan::FriendsTable &table)
{
    QStringList all;
    for (int col = amiscan::DisplayName; col < amiscan::ColumnCount; ++col)
        all += column(table, col);
    return all;
}

inline amiscan::FriendsTable tableOf(const QList<Friend> &friends)
{
    amiscan::FriendsTable table;
    for (const Friend &f : friends)
        add(table, f);
    return table;
}

} // namespace friend_rows
