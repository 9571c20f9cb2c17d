// The window's quick ways (kept key order, merge visiting only the friends a page can change,
// lines built as shown, history written on its own thread) give exactly what the plain ways give:
// every row sorted again, every row merged, every line built at each fill. Random tables with
// names equal but for case or equal outright, random pages and random clicks, compared line by
// line, cell by cell and byte by byte.
#include "app/data_dir.h"
#include "list_lines.h"
#include "lists/main_list.h"
#include "lists/table_sort.h"
#include "scan/presence_merge.h"
#include "scan/time_text.h"
#include "store/history_file.h"
#include "ui/form1.h"
#include "widget_test_main.h"

#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>

#include <random>

using namespace amiscan;

namespace {

const QStringList Names{"ann", "Ann", "ANN", "bob", "Bob", "cy", "Émile", "emile", "zoë", ""};

// The window's work done the plain way on a table of its own.
struct PlainWindow
{
    FriendsTable table;
    Collation collation;
    QStringList manageLines;
    MainListContent main;
    Form1 &form;

    LineModes modes() const { return {form.CheckUser->isChecked(), form.state.sessionShown != 0}; }
    void sortByKey() { amiscan::sortByKey(table, form.state.sortNameMode, collation); }
    void sortOnlineFirst() { amiscan::sortOnlineFirst(table, form.state.sortNameMode, collation); }
    void fillManageList()
    {
        manageLines.clear();
        for (int row = 1; row <= table.friendCount(); ++row) {
            manageLines << friendLine(table, row, modes());
            table.setCell(row, ManagePos, QString::number(row));
        }
    }
    void fillMainList()
    {
        MainListSwitches switches;
        switches.scanState = form.state.scanState;
        switches.modes = modes();
        switches.filter = {form.CheckFlter->isChecked(), form.CheckHideOff->isChecked()};
        switches.minListLines = form.state.minListLines;
        main = buildMainList(table, switches);
    }
    void rebuildAll()
    {
        sortByKey();
        fillManageList();
        sortOnlineFirst();
        fillMainList();
    }
};

QString randomStamp(std::mt19937 &random, const QDateTime &base)
{
    return formatStamp(base.addSecs(-60 * int(random() % 600)));
}

FriendsTable randomTable(std::mt19937 &random, int friends, const QDateTime &now)
{
    FriendsTable table;
    for (int i = 0; i < friends; ++i) {
        const int row = table.appendFriend();
        const bool open = random() % 4 == 0;
        const QString name = Names.at(random() % Names.size());
        table.setCell(row, DisplayName,
                      random() % 3 ? name + QString::number(random() % 40) : name);
        table.setCell(row, Start1, random() % 8 ? randomStamp(random, now) : EmptyStamp);
        table.setCell(row, End1, open ? EmptyStamp : randomStamp(random, now));
        table.setCell(row, Length1, open ? EmptyLength : QStringLiteral("00:%1").arg(i % 60));
        table.setCell(row, Start2, random() % 2 ? randomStamp(random, now) : EmptyStamp);
        table.setCell(row, End2, random() % 2 ? randomStamp(random, now) : EmptyStamp);
        table.setCell(row, Length2, EmptyLength);
        table.setCell(row, NameMark, random() % 5 ? QString() : QStringLiteral("\u00B2"));
        table.setCell(row, ManagePos, QStringLiteral("-1"));
        table.setCell(row, Online, open ? QStringLiteral("1") : QStringLiteral("0"));
        table.setCell(row, Unselected, random() % 4 ? QStringLiteral("0") : QStringLiteral("1"));
        table.setCell(row, AccountName, QStringLiteral("u%1").arg(random() % (friends + 5)));
    }
    markCurrentLengths(table);
    return table;
}

// Friends of the table (some renamed) and some new, a few twice.
QList<FriendEntry> randomPage(std::mt19937 &random, const FriendsTable &table)
{
    QList<FriendEntry> entries;
    const int count = int(random() % 12);
    for (int i = 0; i < count; ++i) {
        const int row = 1 + int(random() % std::max(1, table.friendCount()));
        const QString account =
            random() % 5 ? table.cell(row, AccountName) : QStringLiteral("new%1").arg(random() % 4);
        const QString name =
            random() % 3 ? table.cell(row, DisplayName) : Names.at(random() % Names.size());
        entries.append({name, account, random() % 6 ? QString() : QStringLiteral("\u00B2")});
    }
    return entries;
}

} // namespace

class TestSameResults : public QObject
{
    Q_OBJECT

private slots:
    void quickWays_giveThePlainWaysResults_data()
    {
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("sortNameMode");
        for (int seed = 1; seed <= 6; ++seed)
            QTest::addRow("seed %d", seed) << seed << seed % 2;
    }

    void quickWays_giveThePlainWaysResults()
    {
        QFETCH(int, seed);
        QFETCH(int, sortNameMode);
        std::mt19937 random(seed);
        QDateTime now(QDate(2012, 9, 4), QTime(16, 2));

        QTemporaryDir dir;
        Form1 form(dir.path());
        form.load();
        form.state.sortNameMode = sortNameMode;
        form.table = randomTable(random, 40 + seed * 7, now);
        form.state.dataPresent = true;
        PlainWindow plain{form.table, Collation(), {}, {}, form};
        form.sortByKey();
        form.fillManageList();
        form.sortOnlineFirst();
        form.fillMainList();
        plain.rebuildAll();

        const auto compare = [&](const char *after) {
            const QByteArray what = QByteArray("after ") + after;
            QCOMPARE(form.table.friendCount(), plain.table.friendCount());
            for (int row = 1; row <= form.table.friendCount(); ++row) {
                for (int column = 1; column < ColumnCount; ++column)
                    QVERIFY2(form.table.cell(row, column) == plain.table.cell(row, column),
                             what.constData());
            }
            QVERIFY2(list_lines::all(form.List2) == plain.manageLines, what.constData());
            QVERIFY2(list_lines::all(form.List1) == plain.main.lines, what.constData());
            QCOMPARE(form.state.onlineCount, plain.main.onlineCount);
            QCOMPARE(form.state.shownOnlineCount, plain.main.shownOnlineCount);
            QCOMPARE(form.state.listedCount, qint16(plain.manageLines.size()));
        };
        compare("start-up");
        if (QTest::currentTestFailed())
            return;

        for (int step = 0; step < 30; ++step) {
            switch (random() % 6) {
            case 0:
            case 1: { // a scan some minutes after the last one, from the main list
                if (form.state.manageMode) {
                    form.showMainList();
                    plain.sortOnlineFirst();
                    plain.fillMainList();
                }
                now = now.addSecs(60 * int(random() % 25));
                const QList<FriendEntry> page = randomPage(random, form.table);
                const QList<int> cameOnline = mergePresence(form.table, page, now);
                QCOMPARE(cameOnline, mergePresenceEveryRow(plain.table, page, now));
                form.state.scanState = 2;
                form.finishMergedScan();
                plain.rebuildAll();
                compare("a scan");
                form.waitForHistorySave();
                QFile file(historyFilePath(dir.path()));
                QVERIFY(file.open(QIODevice::ReadOnly));
                QCOMPARE(file.readAll(),
                         history::formatFile(plain.table, form.state.lastScanStamp));
                break;
            }
            case 2: { // a filter
                QCheckBox *box = random() % 2 ? form.CheckFlter : form.CheckHideOff;
                box->click();
                if (!form.List1->isHidden()) {
                    plain.sortOnlineFirst();
                    plain.fillMainList();
                }
                compare("a filter");
                break;
            }
            case 3: // the name mode
                form.CheckUser->click();
                if (!form.List1->isHidden())
                    plain.fillMainList();
                else
                    plain.fillManageList();
                compare("the name mode");
                break;
            case 4: // the session shown
                form.switchSession();
                plain.fillManageList();
                plain.fillMainList();
                compare("a session switch");
                break;
            default: // the management list opened or closed
                if (form.state.manageMode) {
                    form.showMainList();
                    plain.sortOnlineFirst();
                    plain.fillMainList();
                } else {
                    form.showManageList();
                    plain.sortByKey();
                }
                compare("the management list");
            }
            if (QTest::currentTestFailed())
                return;
        }
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestSameResults)
#include "test_same_results.moc"
