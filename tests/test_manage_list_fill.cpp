// The management list as every list rebuild fills it: one checked line per friend, unchecked
// for friends not selected, each friend linked to its line, and the title's counts.
#include "friend_rows.h"
#include "lists/friend_line.h"
#include "ui/form1.h"
#include "widget_test_main.h"

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>

using namespace amiscan;
using namespace friend_rows;

class TestManageListFill : public QObject
{
    Q_OBJECT

private slots:
    void fill_linesMarksLinksAndCounts()
    {
        QTemporaryDir dir;
        Form1 form(dir.path());
        form.load();
        add(form.table, {QStringLiteral("Cara"), QStringLiteral("cara"), true});
        add(form.table, {QStringLiteral("Ann"), QStringLiteral("ann"), false, false});
        add(form.table, {QStringLiteral("Bob"), QStringLiteral("bob"), true});
        form.state.dataPresent = true;
        form.state.scanState = 2;
        form.sortByKey();
        form.fillManageList();
        form.sortOnlineFirst();
        form.fillMainList();

        QCOMPARE(form.List2->count(), 3);
        QCOMPARE(nameFromLine(form.List2->item(0)->text()), QStringLiteral("Ann"));
        QCOMPARE(form.List2->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(form.List2->item(1)->checkState(), Qt::Checked);
        QCOMPARE(form.List2->item(2)->checkState(), Qt::Checked);
        QCOMPARE(form.state.listedCount, 3);
        QCOMPARE(form.state.selectedCount, 2);
        // The links survive the main list's reordering: Ann is now last but names line 1.
        const int ann = form.table.findByAccountName(QStringLiteral("ann"));
        QCOMPARE(ann, 3);
        QCOMPARE(form.table.cell(ann, ManagePos), QStringLiteral("1"));
        QCOMPARE(form.LabInfo->text(), QStringLiteral("Friends Online: 2/3"));
    }

    void emptyTable_givesAnEmptyListAndZeroCounts()
    {
        QTemporaryDir dir;
        Form1 form(dir.path());
        form.load();
        form.state.dataPresent = true;
        form.fillManageList();
        QCOMPARE(form.List2->count(), 0);
        QCOMPARE(form.state.listedCount, 0);
        QCOMPARE(form.LabInfo->text(), QStringLiteral("Friends: 0"));
    }
};

AMISCAN_WIDGET_TEST_MAIN(TestManageListFill)
#include "test_manage_list_fill.moc"
