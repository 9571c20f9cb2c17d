// What a user's machine sees of the real program against the local stand-in for the service
// (20 friends, all online): how soon the window is shown, how much memory the program holds
// at start, after its first scan (through the browser, with the login) and between scans, how
// many browser processes stay alive, and how long the first scan takes.
//
//     Xvfb :71 & DISPLAY=:71 build-rel/bench/amiscan_bench_run [--runs N] [--second-scan]
//                                                              [--friends N] [--second-start]
//
// With --friends, the program starts with a history of that many friends, of whom the service
// shows 200 online (the table's limit is 32767). With --second-start, the start is timed when
// the program starts again after a first start has made its presence log (which takes the
// history in once, on a thread of its own), as every start after the first one does. With
// AMISCAN_BENCH_MAPPINGS=N, the main process's largest resident mappings between scans are listed,
// and it is left running N seconds more to be looked at.
//
// The program runs from a copy in a directory of its own (its files sit beside it), with the
// browser helper copied beside it when there is one. The window counts as shown when a viewable
// top-level window of the program's process is on the X display.
#include "bench/random_friends.h"
#include "store/history_file.h"
#include "tests/vey_sim_process.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

using namespace amiscan;

namespace {

constexpr int PollMs = 5;

struct Sample
{
    double shownMs = 0;
    double startRssMb = 0;
    double firstScanMs = 0;
    double afterScanRssMb = 0;
    double betweenRssMb = 0;
    int betweenProcesses = 0;
    double betweenProcessesRssMb = 0;
    double afterSecondRssMb = 0;
    int afterSecondProcesses = 0;
};

double residentMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// The process's largest resident mappings: "[heap]", a library, or an anonymous one (a thread's
// heap, a large block) by its addresses.
void printResidentMappings(qint64 pid)
{
    QFile smaps(QStringLiteral("/proc/%1/smaps").arg(pid));
    if (!smaps.open(QIODevice::ReadOnly))
        return;
    QHash<QByteArray, qint64> residentKb;
    QByteArray mapping;
    for (const QByteArray &line : smaps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.value(0).contains('-') && fields.size() >= 5)
            mapping = fields.size() >= 6 ? fields.at(5) : "anonymous " + fields.at(0);
        else if (fields.value(0) == "Rss:")
            residentKb[mapping] += fields.value(1).toLongLong();
    }
    QList<std::pair<qint64, QByteArray>> largest;
    for (auto it = residentKb.cbegin(); it != residentKb.cend(); ++it)
        largest.append({it.value(), it.key()});
    std::sort(largest.rbegin(), largest.rend());
    for (const auto &[kb, name] : largest.mid(0, 10))
        std::printf("    %7.1f MB  %s\n", double(kb) / 1024.0, name.constData());
}

// Every process started, directly or not, by the given one.
QList<qint64> descendantsOf(qint64 root)
{
    QHash<qint64, qint64> parents;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!isNumber || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so read after its last ')'.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        parents.insert(pid, fields.value(1).toLongLong());
    }
    QList<qint64> found;
    for (auto it = parents.cbegin(); it != parents.cend(); ++it) {
        qint64 pid = it.key();
        for (int depth = 0; depth < 16 && pid > 1; ++depth) {
            pid = parents.value(pid);
            if (pid == root) {
                found << it.key();
                break;
            }
        }
    }
    return found;
}

// Finds the viewable top-level windows of a process on the X display.
class WindowWatch
{
public:
    WindowWatch() : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const char name[] = "_NET_WM_PID";
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
            xcb_intern_atom_reply(m_connection,
                                  xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr),
            &free);
        if (atom)
            m_pidAtom = atom->atom;
    }
    ~WindowWatch() { xcb_disconnect(m_connection); }
    Q_DISABLE_COPY_MOVE(WindowWatch)

    bool isUsable() const { return !xcb_connection_has_error(m_connection) && m_pidAtom; }

    bool hasShownWindow(qint64 pid) const
    {
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr),
            &free);
        if (!tree)
            return false;
        const xcb_window_t *children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
                xcb_get_window_attributes_reply(
                    m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr),
                &free);
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
                continue;
            std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> property(
                xcb_get_property_reply(m_connection,
                                       xcb_get_property(m_connection, 0, children[i], m_pidAtom,
                                                        XCB_ATOM_CARDINAL, 0, 1),
                                       nullptr),
                &free);
            if (property && xcb_get_property_value_length(property.get()) == 4 &&
                *static_cast<const quint32 *>(xcb_get_property_value(property.get())) == pid)
                return true;
        }
        return false;
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = 0;
};

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(PollMs);
    }
    return true;
}

// One copy of the program in a directory of its own, with its settings.
class ProgramCopy
{
public:
    bool prepare(const QString &executable, const QUrl &service, bool autoStart,
                 const FriendsTable &history)
    {
        if (history.friendCount() > 0 &&
            !history::writeFile(historyPath(), history, QStringLiteral("04/09/12 16:02")))
            return false;
        const QFileInfo source(executable);
        for (const QString &name : {QStringLiteral("amiscan"), QStringLiteral("amiscan-browser")}) {
            const QString from = source.dir().filePath(name);
            if (QFileInfo::exists(from) && !QFile::copy(from, m_dir.filePath(name)))
                return false;
        }
        QFile settings(m_dir.filePath(QStringLiteral("Amiscan.ini")));
        if (!settings.open(QIODevice::WriteOnly))
            return false;
        settings.write("[Parameters]\r\nAutoStart=" + QByteArray(autoStart ? "1" : "0") +
                       "\r\nAutoHide=0\r\nUserName=demo\r\nUserPw=demo123\r\nScanTimer=1\r\n"
                       "TimerOn=1\r\nServiceUrl=" +
                       service.toString().toUtf8() + "\r\n");
        return true;
    }

    // Starts the program; the clock starts just before.
    bool start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
        m_process.setProcessEnvironment(env);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_clock.start();
        m_process.start(m_dir.filePath(QStringLiteral("amiscan")), {});
        return m_process.waitForStarted();
    }

    qint64 pid() const { return m_process.processId(); }
    // Ends the program as the session's end does, and waits for it.
    bool stop()
    {
        m_process.terminate();
        return m_process.waitForFinished(30000);
    }
    double elapsedMs() const { return double(m_clock.nsecsElapsed()) / 1e6; }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    QString historyPath() const { return m_dir.filePath(QStringLiteral("Amiscan.txt")); }

    ~ProgramCopy()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(10000);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QElapsedTimer m_clock;
};

double browserProcessesMb(const QList<qint64> &pids)
{
    double total = 0;
    for (qint64 pid : pids)
        total += residentMb(pid);
    return total;
}

std::optional<Sample> measureOnce(const QString &executable, const QUrl &service,
                                  const WindowWatch &watch, bool secondScan, bool secondStart,
                                  const FriendsTable &history)
{
    Sample sample;
    {
        // At start: the window alone, no scan.
        ProgramCopy copy;
        if (!copy.prepare(executable, service, false, history) || !copy.start())
            return std::nullopt;
        if (!waitFor([&] { return watch.hasShownWindow(copy.pid()); }, 20000))
            return std::nullopt;
        if (secondStart) {
            // Time enough for the log to take the history in.
            QThread::msleep(8000);
            if (!copy.stop() || !copy.start() ||
                !waitFor([&] { return watch.hasShownWindow(copy.pid()); }, 20000))
                return std::nullopt;
        }
        sample.shownMs = copy.elapsedMs();
        QThread::msleep(2000);
        sample.startRssMb = residentMb(copy.pid());
    }

    // Auto Start: the first scan logs in through the browser, then the program waits.
    ProgramCopy copy;
    if (!copy.prepare(executable, service, true, history) || !copy.start())
        return std::nullopt;
    if (!waitFor([&] { return watch.hasShownWindow(copy.pid()); }, 20000))
        return std::nullopt;
    const double shown = copy.elapsedMs();
    const QDateTime before = QFileInfo(copy.historyPath()).lastModified();
    if (!waitFor(
            [&] {
                return QFileInfo(copy.historyPath()).lastModified() != before || !copy.isRunning();
            },
            90000) ||
        !copy.isRunning())
        return std::nullopt;
    sample.firstScanMs = copy.elapsedMs() - shown;
    sample.afterScanRssMb = residentMb(copy.pid());
    QThread::msleep(10000);
    sample.betweenRssMb = residentMb(copy.pid());
    if (qEnvironmentVariableIsSet("AMISCAN_BENCH_MAPPINGS")) {
        printResidentMappings(copy.pid());
        std::printf("    (process %lld)\n", copy.pid());
        std::fflush(stdout);
        QThread::sleep(qEnvironmentVariableIntValue("AMISCAN_BENCH_MAPPINGS"));
    }
    const QList<qint64> browsers = descendantsOf(copy.pid());
    sample.betweenProcesses = int(browsers.size());
    sample.betweenProcessesRssMb = browserProcessesMb(browsers);

    if (secondScan) {
        // The timed scan a minute later reads the page directly.
        const QDateTime first = QFileInfo(copy.historyPath()).lastModified();
        if (!waitFor([&] { return QFileInfo(copy.historyPath()).lastModified() != first; }, 120000))
            return std::nullopt;
        QThread::msleep(10000);
        sample.afterSecondRssMb = residentMb(copy.pid());
        sample.afterSecondProcesses = int(descendantsOf(copy.pid()).size());
    }
    return sample;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// The service's friends: 20 of its own, or the first 200 of a history's.
bool writeRoster(const QString &path, const FriendsTable &history)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (history.friendCount() == 0) {
        for (int i = 1; i <= 20; ++i)
            file.write(
                QStringLiteral("Friend %1\tfriend%1\n").arg(i, 2, 10, QLatin1Char('0')).toUtf8());
        return true;
    }
    for (int row = 1; row <= std::min(200, history.friendCount()); ++row)
        file.write((history.cell(row, DisplayName) + u'\t' + history.cell(row, AccountName) + u'\n')
                       .toUtf8());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures the program at start and at scan."));
    parser.addHelpOption();
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Runs (default 3)."),
                                  QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption secondScan(QStringLiteral("second-scan"),
                                        QStringLiteral("Also wait for the timed scan."));
    const QCommandLineOption friends(QStringLiteral("friends"),
                                     QStringLiteral("Friends in the history at start (default "
                                                    "none: the service's 20 are new)."),
                                     QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption secondStart(
        QStringLiteral("second-start"),
        QStringLiteral("Time the start that follows a first one (the log made)."));
    parser.addOptions({runs, secondScan, friends, secondStart});
    parser.addPositionalArgument(QStringLiteral("amiscan"),
                                 QStringLiteral("The program (default: the one built here)."));
    parser.process(app);
    const QString executable =
        parser.positionalArguments().value(0, QStringLiteral(AMISCAN_EXECUTABLE));

    WindowWatch watch;
    if (!watch.isUsable()) {
        std::fprintf(stderr, "No X display: run under Xvfb with DISPLAY set.\n");
        return 1;
    }
    QTemporaryDir work;
    const QString roster = work.filePath(QStringLiteral("roster.txt"));
    const FriendsTable history =
        randomFriends(std::clamp(parser.value(friends).toInt(), 0, MaxFriends));
    if (!writeRoster(roster, history))
        return 1;
    VeySimProcess sim({QStringLiteral("--roster"), roster, QStringLiteral("--all-online")});
    if (!sim.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(sim.errorString()));
        return 1;
    }

    QList<Sample> samples;
    const int count = std::max(1, parser.value(runs).toInt());
    for (int i = 0; i < count; ++i) {
        const std::optional<Sample> sample =
            measureOnce(executable, sim.baseUrl(), watch, parser.isSet(secondScan),
                        parser.isSet(secondStart), history);
        if (!sample) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        std::printf("run %d: shown %.0f ms, start %.1f MB, first scan %.0f ms, after it %.1f MB, "
                    "between scans %.1f MB + %d browser processes (%.1f MB)",
                    i + 1, sample->shownMs, sample->startRssMb, sample->firstScanMs,
                    sample->afterScanRssMb, sample->betweenRssMb, sample->betweenProcesses,
                    sample->betweenProcessesRssMb);
        if (parser.isSet(secondScan))
            std::printf(", after the timed scan %.1f MB + %d browser processes",
                        sample->afterSecondRssMb, sample->afterSecondProcesses);
        std::printf("\n");
        std::fflush(stdout);
        samples << *sample;
    }
    const auto column = [&](double Sample::*field) {
        QList<double> values;
        for (const Sample &s : samples)
            values << s.*field;
        return median(values);
    };
    std::printf("median: window shown %.0f ms; main process %.1f MB at start, %.1f MB after the "
                "first scan, %.1f MB between scans; first scan %.0f ms; between scans %.1f MB in "
                "browser processes\n",
                column(&Sample::shownMs), column(&Sample::startRssMb),
                column(&Sample::afterScanRssMb), column(&Sample::betweenRssMb),
                column(&Sample::firstScanMs), column(&Sample::betweenProcessesRssMb));
    return 0;
}
