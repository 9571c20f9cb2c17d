// The window's quick ways (kept key order, a merge visiting only the friends a page can change,
// lines built as shown, the history saved on its own thread) give what the plain ways give, on
// random tables (names equal as text or but for case), pages and clicks: cells, lines and bytes.
#include "friend_rows.h"
#include "list_lines.h"
#include "lists/main_list.h"
#include "lists/table_sort.h"
#include "model/main_model.h"
#include "scan/presence_merge.h"
#include "store/data_dir.h"
#include "store/history_file.h"
#include "store/time_text.h"
#include "ui/form1.h"
#include "widget_test_main.h"
#include "window_controls.h"

#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>

#include <random>

using namespace amiscan;

const QStringList Names{"ann", "Ann",   "ANN",   "bob", "Bob", "Bo b",
                        "cy",  "Émile", "emile", "zoë", ""};

class TestSameResults : public QObject
{
    Q_OBJECT

private slots:
    void quickWays_giveThePlainWaysResults_data()
    {
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 6; ++seed)
            QTest::addRow("seed %d", seed) << seed;
    }

    void quickWays_giveThePlainWaysResults()
    {
        QFETCH(int, seed);
        std::mt19937 random(seed);
        // The last seeds add "Bo\nb", which the file writes as "Bo b": its order is then that of
        // the names as written, which the saving thread takes in full.
        const QStringList names = seed > 4 ? Names + QStringList{"Bo\nb"} : Names;
        const auto pick = [&random](int count) { return int(random() % std::max(1, count)); };
        QDateTime now(QDate(2012, 9, 4), QTime(16, 2));
        const auto stamp = [&] { return formatStamp(now.addSecs(-60 * pick(600))); };

        QTemporaryDir dir;
        MainModel model(dir.path());
        Form1 form(model);
        form.load();
        model.stateForTests().sortNameMode = seed % 2;
        model.stateForTests().dataPresent = true;
        for (int i = 0; i < 40 + seed * 7; ++i) {
            const QString name = names.at(pick(names.size()));
            const bool open = pick(4) == 0; // online, its session open
            friend_rows::add(model.tableForTests(),
                             {pick(3) ? name + QString::number(pick(40)) : name,
                              QStringLiteral("u%1").arg(pick(50)), open, pick(4) != 0,
                              pick(5) ? QString() : QStringLiteral("\u00B2"),
                              pick(8) ? stamp() : EmptyStamp, stamp(),
                              QStringLiteral("00:%1").arg(i % 60), pick(2) ? stamp() : EmptyStamp,
                              pick(2) ? stamp() : EmptyStamp, EmptyLength});
        }
        markCurrentLengths(model.tableForTests());

        // The window's work done the plain way, full sorts and every line, on a table of its own.
        FriendsTable plain = model.tableForTests();
        const Collation collation;
        QStringList manageLines;
        MainListContent main;
        const auto modes = [&] {
            return LineModes{findControl<QCheckBox>(form, "CheckUser")->isChecked(),
                             model.state().sessionShown != Session::First};
        };
        const auto fillManageList = [&](bool sort) {
            if (sort)
                sortByKey(plain, seed % 2, collation);
            manageLines.clear();
            for (int row = 1; row <= plain.friendCount(); ++row) {
                manageLines << friendLine(plain, row, modes());
                plain.setCell(row, ManagePos, QString::number(row));
            }
        };
        const auto fillMainList = [&](bool sort) {
            if (sort)
                sortOnlineFirst(plain, seed % 2, collation);
            const LineFilter filter{findControl<QCheckBox>(form, "CheckFlter")->isChecked(),
                                    findControl<QCheckBox>(form, "CheckHideOff")->isChecked()};
            main = buildMainList(plain, {model.state().scanState != ScanState::NotStarted, modes(),
                                         filter, model.state().minListLines});
        };
        const auto counts = [](int online, int shown) {
            return QStringList{QString::number(online), QString::number(shown)};
        };

        form.showTable();
        for (int step = 0; step <= 30 && !QTest::currentTestFailed(); ++step) {
            const int what = step ? pick(6) : -1;
            if (what < 0) {
                fillManageList(true);
                fillMainList(true);
            } else if (what <= 1) { // a scan from the main list, some minutes after the last one
                if (model.state().manageMode) {
                    form.showMainList();
                    fillMainList(true);
                }
                now = now.addSecs(60 * pick(25));
                QList<FriendEntry> page;
                for (int i = pick(12); i > 0; --i) {
                    const int row = 1 + pick(model.table().friendCount());
                    page.append({pick(3) ? model.table().cell(row, DisplayName)
                                         : names.at(pick(names.size())),
                                 pick(5) ? model.table().cell(row, AccountName)
                                         : QStringLiteral("new%1").arg(pick(4)),
                                 pick(6) ? QString() : QStringLiteral("\u00B2")});
                }
                QCOMPARE(mergePresence(model.tableForTests(), page, now),
                         mergePresenceEveryRow(plain, page, now));
                // Namesakes need not come and go together.
                const int flipped = 1 + pick(model.table().friendCount());
                for (FriendsTable *table : {&model.tableForTests(), &plain})
                    table->setCell(flipped, Online,
                                   QString::number(int(!isOnlineRow(*table, flipped))));
                model.stateForTests().scanState = ScanState::PageRead;
                model.finishMergedScan();
                fillManageList(true);
                fillMainList(true);
            } else if (what == 2) {
                (pick(2) ? findControl<QCheckBox>(form, "CheckFlter")
                         : findControl<QCheckBox>(form, "CheckHideOff"))
                    ->click();
                if (!findControl<LineList>(form, "List1")->isHidden())
                    fillMainList(true);
            } else if (what == 3) {
                findControl<QCheckBox>(form, "CheckUser")->click();
                findControl<LineList>(form, "List1")->isHidden() ? fillManageList(false)
                                                                 : fillMainList(false);
            } else if (what == 4) {
                form.switchSession();
                fillManageList(false);
                fillMainList(false);
            } else if (model.state().manageMode) {
                form.showMainList();
                fillMainList(true);
            } else {
                form.showManageList();
                sortByKey(plain, seed % 2, collation);
            }
            QVERIFY2(friend_rows::cells(model.table()) +
                             list_lines::all(findControl<LineList>(form, "List1")) +
                             list_lines::all(findControl<LineList>(form, "List2")) +
                             counts(model.state().onlineCount, model.state().shownOnlineCount) ==
                         friend_rows::cells(plain) + main.lines + manageLines +
                             counts(main.onlineCount, main.shownOnlineCount),
                     qPrintable(QString::number(what)));
            if (what == 0 || what == 1) {
                model.waitForHistorySave();
                QFile file(historyFilePath(dir.path()));
                QVERIFY(file.open(QIODevice::ReadOnly));
                QCOMPARE(file.readAll(), history::formatFile(plain, model.state().lastScanStamp));
            }
        }
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestSameResults)
#include "test_same_results.moc"
