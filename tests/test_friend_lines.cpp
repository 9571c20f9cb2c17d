// Friend lines, the separator, the name read back from a line, and the two sorts.
#include "friend_rows.h"
#include "store/collation.h"
#include "lists/friend_line.h"
#include "lists/line_filter.h"
#include "lists/table_sort.h"
#include "scan/presence_merge.h"

#include <QRandomGenerator>
#include <QTest>

using namespace amiscan;
using namespace friend_rows;

namespace {

const Collation English{QLocale(QLocale::English)};

FriendsTable oneFriend(const Friend &f)
{
    FriendsTable table;
    add(table, f);
    return table;
}

} // namespace

class TestFriendLines : public QObject
{
    Q_OBJECT

private slots:
    void workedExamples_characterForCharacter()
    {
        const FriendsTable ann = oneFriend({"Ann Example", "annexample"});
        const QString closed = friendLine(ann, 1, {});
        QCOMPARE(closed,
                 QStringLiteral("Ann Example       : 04/09/12 14:19 - 04/09/12 16:02 > 01:43"));
        QCOMPARE(closed.size(), 59);
        QCOMPARE(closed.at(18), u':');
        QCOMPARE(closed.at(35), u'-');
        QCOMPARE(closed.at(52), u'>');

        Friend open{"Ann Example", "annexample", true};
        open.start1 = "07/09/12 22:53";
        QCOMPARE(friendLine(oneFriend(open), 1, {}),
                 QStringLiteral("Ann Example       : 07/09/12 22:53 - .. .. .. .. .. > .. .."));

        Friend substituted{"annexample", "annexample"};
        substituted.nameMark = QStringLiteral("²");
        QCOMPARE(friendLine(oneFriend(substituted), 1, {false, true}),
                 QStringLiteral("annexample²       : .. .. .. .. .. - .. .. .. .. .. > .. .."));

        QCOMPARE(friendLine(oneFriend({"Example Friend Long Name", "x"}), 1, {}),
                 QStringLiteral("Example Friend Lon: 04/09/12 14:19 - 04/09/12 16:02 > 01:43"));
    }

    void nameField_markAndCut()
    {
        Friend seventeen{QString(17, u'a'), "acc"};
        seventeen.nameMark = QStringLiteral("²");
        QCOMPARE(friendLine(oneFriend(seventeen), 1, {}).left(20),
                 QString(17, u'a') + QStringLiteral("²: "));
        Friend eighteen{QString(18, u'b'), "acc"};
        eighteen.nameMark = QStringLiteral("²");
        QCOMPARE(friendLine(oneFriend(eighteen), 1, {}).left(20), QString(18, u'b') + ": ");

        // User names: the account name, never followed by the mark.
        QCOMPARE(friendLine(oneFriend(seventeen), 1, {true, false}).left(20),
                 QStringLiteral("acc") + QString(15, u' ') + ": ");
        QCOMPARE(friendLine(oneFriend({"", ""}), 1, {}).left(18), QString(18, u' '));
    }

    // A character outside the basic plane counts once and is never cut apart.
    void nameField_countsCharactersNotUnits()
    {
        const QString smile = QStringLiteral("\U0001F600");
        const QString eighteen = QString(16, u'a') + smile + smile;
        const FriendsTable table = oneFriend({eighteen + "b", smile + "u"});
        const QString line = friendLine(table, 1, {});
        QVERIFY(line.startsWith(eighteen + ": "));
        QCOMPARE(nameFromLine(line), eighteen);
        QVERIFY(
            friendLine(table, 1, {true, false}).startsWith(smile + "u" + QString(16, u' ') + ": "));
        QVERIFY(companionLine(table, 1, {}).startsWith(smile + "u" + QString(16, u' ') + ": "));
    }

    void sessionCells_areCopiedUnchanged()
    {
        Friend odd{"Ann", "ann"};
        odd.start1 = "4/9/12 14:19";
        QCOMPARE(friendLine(oneFriend(odd), 1, {}),
                 QString("Ann") + QString(15, u' ') + ": 4/9/12 14:19 - 04/09/12 16:02 > 01:43");
    }

    void companionLine_otherNameAndOtherSession()
    {
        Friend f{"Ann Example", "annexample"};
        f.nameMark = QStringLiteral("²");
        f.start2 = "01/09/12 10:00";
        f.end2 = "01/09/12 11:30";
        f.length2 = "01:30";
        const FriendsTable table = oneFriend(f);
        QCOMPARE(companionLine(table, 1, {}),
                 QStringLiteral("annexample        : 01/09/12 10:00 - 01/09/12 11:30 > 01:30"));
        // Display name without its mark, and the 1st session while the 2nd is shown.
        QCOMPARE(companionLine(table, 1, {true, true}),
                 QStringLiteral("Ann Example       : 04/09/12 14:19 - 04/09/12 16:02 > 01:43"));
        // A name longer than the field is kept whole, with no blank after it.
        const FriendsTable longName = oneFriend({"Short", "an.account.name.of.25.chr"});
        QVERIFY(companionLine(longName, 1, {}).startsWith("an.account.name.of.25.chr: "));
    }

    void separatorLine_hasThePlusUnderTheColon()
    {
        const QString separator = separatorLine();
        QCOMPARE(separator.size(), 102);
        QCOMPARE(separator.indexOf(u'+'), 18);
        QCOMPARE(separator.count(u'-'), 101);
        QVERIFY(!separator.contains(u':'));
    }

    void nameReadBack()
    {
        QCOMPARE(nameFromLine("Ann Example       : 04/09/12 14:19 - 04/09/12 16:02 > 01:43"),
                 QStringLiteral("Ann Example"));
        QCOMPARE(nameFromLine("annexample²       : .. .. .. .. .. - .. .. .. .. .. > .. .."),
                 QStringLiteral("annexample"));
        QCOMPARE(nameFromLine("  Ann             : x"), QStringLiteral("Ann"));
        QCOMPARE(nameFromLine("Example Friend Lon: x"), QStringLiteral("Example Friend Lon"));
        QCOMPARE(nameFromLine(QString()), QString());
    }

    void lineFilter_bothTestsApply()
    {
        FriendsTable table;
        add(table, "OnSel", true, true);
        add(table, "OnUnsel", true, false);
        add(table, "OffSel", false, true);
        add(table, "OffUnsel", false, false);
        const auto kept = [&](LineFilter filter) {
            QStringList names;
            for (int row = 1; row <= table.friendCount(); ++row)
                if (!filter.leavesOut(table, row))
                    names << table.cell(row, DisplayName);
            return names;
        };
        QCOMPARE(kept({}), (QStringList{"OnSel", "OnUnsel", "OffSel", "OffUnsel"}));
        QCOMPARE(kept({true, false}), (QStringList{"OnSel", "OffSel"}));
        QCOMPARE(kept({false, true}), (QStringList{"OnSel", "OnUnsel"}));
        QCOMPARE(kept({true, true}), (QStringList{"OnSel"}));
    }

    void sortByKey_ignoresCase_keepsEveryRow()
    {
        FriendsTable table;
        add(table, {"Bob", "bob1"});
        add(table, {"anna", "anna1"});
        add(table, {"Carl", "twin-b"});
        add(table, {"Carl", "twin-a"});
        sortByKey(table, 0, English);
        QCOMPARE(column(table, DisplayName), (QStringList{"anna", "Bob", "Carl", "Carl"}));
        // Two friends with one display name stay two rows, in the order they had.
        QCOMPARE(column(table, AccountName), (QStringList{"anna1", "bob1", "twin-b", "twin-a"}));
        QCOMPARE(table.capacity(), 5);
        QVERIFY(table.cell(0, DisplayName).isEmpty());

        // Repeatable: sorting again changes nothing, online-first included.
        sortByKey(table, 0, English);
        QCOMPARE(column(table, AccountName), (QStringList{"anna1", "bob1", "twin-b", "twin-a"}));
        table.setCell(3, Online, "1");
        table.setCell(4, Online, "1");
        sortOnlineFirst(table, 0, English);
        QCOMPARE(column(table, AccountName), (QStringList{"twin-b", "twin-a", "anna1", "bob1"}));
    }

    void sortKey_followsTheStartUpNameMode()
    {
        FriendsTable table;
        add(table, {"Zed", "alpha"});
        add(table, {"Amy", "zulu"});
        sortByKey(table, 1, English);
        QCOMPARE(column(table, DisplayName), (QStringList{"Zed", "Amy"}));
        sortByKey(table, 0, English);
        QCOMPARE(column(table, DisplayName), (QStringList{"Amy", "Zed"}));
        // The name mark is no part of the key.
        QCOMPARE(sortKeyColumn(0), int(DisplayName));
    }

    void sortOnlineFirst_groupsByPresence_keepsCells()
    {
        FriendsTable table;
        add(table, "Dora", false);
        add(table, "carl", true);
        add(table, "Bob", false);
        add(table, "alma", true);
        for (int row = 1; row <= 4; ++row)
            table.setCell(row, ManagePos, QString::number(row));
        sortOnlineFirst(table, 0, English);
        QCOMPARE(column(table, DisplayName), (QStringList{"alma", "carl", "Bob", "Dora"}));
        QCOMPARE(column(table, Online), (QStringList{"1", "1", "0", "0"}));
        QCOMPARE(column(table, ManagePos), (QStringList{"4", "2", "3", "1"}));
    }

    // The window orders the table after a scan with one collation kept for the run and the
    // online friends taken out of the key order; each scan must give the same table, cell for
    // cell, as two full sorts with a fresh collation. Random names (equal ones, case variants,
    // renames) and random pages.
    void keptCollationAndPartition_matchFullSorts()
    {
        QRandomGenerator random(2012);
        const auto name = [&] {
            static const QStringList parts{"ann", "Ann", "ANN", "bob", "Émile", "zoe", "b", ""};
            return parts.at(random.bounded(int(parts.size()))) +
                   QString::number(random.bounded(40));
        };
        const Collation kept{QLocale(QLocale::English)};
        FriendsTable fast;
        FriendsTable full;
        QDateTime now(QDate(2012, 10, 14), QTime(8, 0));
        for (int scan = 0; scan < 40; ++scan) {
            QList<FriendEntry> page;
            for (int i = random.bounded(60); i > 0; --i)
                page.append({name(), name(), {}});
            now = now.addSecs(random.bounded(1200));
            mergePresence(fast, page, now);
            mergePresence(full, page, now);
            const int mode = random.bounded(2);
            sortByKey(fast, mode, kept);
            partitionOnlineFirst(fast);
            sortByKey(full, mode, Collation(QLocale(QLocale::English)));
            sortOnlineFirst(full, mode, Collation(QLocale(QLocale::English)));
            for (int col = 0; col < ColumnCount; ++col)
                QCOMPARE(column(fast, col), column(full, col));
        }
        QVERIFY(full.friendCount() > 100);
    }

    void sortOnlineFirst_withNobodyOnline_isTheKeyOrder()
    {
        FriendsTable byKey;
        FriendsTable onlineFirst;
        for (const char *name : {"mia", "Leo", "ann", "Zoe", "bea"}) {
            add(byKey, name);
            add(onlineFirst, name);
        }
        sortByKey(byKey, 0, English);
        sortOnlineFirst(onlineFirst, 0, English);
        QCOMPARE(column(onlineFirst, DisplayName), column(byKey, DisplayName));

        FriendsTable empty;
        sortByKey(empty, 0, English);
        sortOnlineFirst(empty, 0, English);
        QCOMPARE(empty.friendCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestFriendLines)
#include "test_friend_lines.moc"
