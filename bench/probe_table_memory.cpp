// Where the memory of a large table goes: the live heap and the resident size after each step
// of a start-up with a history of FRIENDS friends (default 32767) and after scans of the real
// window, with the scripted browser and direct read. Not a test: run by hand,
//   build/bench/probe_table_memory [FRIENDS]
#include "bench/own_memory.h"
#include "bench/random_friends.h"
#include "store/data_dir.h"
#include "store/history_file.h"
#include "tests/scripted_scan.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <malloc.h>

using namespace amiscan;

namespace {

long heapInUseKb()
{
    return heapInUseBytes() / 1024;
}

void report(const char *step, long &lastHeapKb)
{
    const long heap = heapInUseKb();
    std::printf("%-34s heap %7.1f MB (%+7.1f)   resident %6.1f MB\n", step, double(heap) / 1024,
                double(heap - lastHeapKb) / 1024, double(residentKb()) / 1024);
    lastHeapKb = heap;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int friends = argc > 1 ? QByteArray(argv[1]).toInt() : MaxFriends;
    QTemporaryDir dir;
    history::writeFile(historyFilePath(dir.path()), randomFriends(friends),
                       QStringLiteral("04/09/12 16:02"));
    long heap = heapInUseKb();
    report("application", heap);
    {
        FriendsTable table;
        history::readFile(historyFilePath(dir.path()), table);
        report("a table read from the file", heap);
        const QByteArray file = history::formatFile(table, QStringLiteral("04/09/12 16:02"));
        report("  and its file formatted", heap);
    }
    report("both gone", heap);
    ScriptedScan w(false, dir.path());
    report("model", heap);
    w.form.load();
    w.logIn();
    report("window loaded", heap);
    w.form.show();
    if (!QTest::qWaitForWindowExposed(&w.form))
        return 1;
    w.form.grab();
    report("window shown", heap);
    w.browser->pageFor = [](const QUrl &) { return FriendsBrowser; };
    w.fetcher->answer = [](const QUrl &) { return FriendsDirect; };
    auto *button = findControl<QPushButton>(w.form, "ButGo");
    for (int scan = 1; scan <= 3; ++scan) {
        button->click();
        if (!QTest::qWaitFor([&] { return !w.scanning(); }, 20000))
            return 1;
        QTest::qWait(2000);
        w.form.grab();
        report(QByteArray("after scan " + QByteArray::number(scan)).constData(), heap);
    }
    malloc_trim(0);
    report("after malloc_trim", heap);
    return 0;
}
