// The presence log: recording a scan, and a year's log of one-minute scans for 1000 friends with
// 10 changes a friend a day (made once, kept in the temporary directory as
// amiscan-bench-presence-year/): its size, a friend's periods over 90 days, the whole CSV
// export, and the start-up with it against the start-up without it.
#include "store/data_dir.h"
#include "store/period_export.h"
#include "store/presence_db.h"
#include "store/presence_log.h"
#include "store/presence_recorder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace amiscan;

constexpr int YearFriends = 1000;
constexpr int YearDays = 365;
const QDateTime YearStart(QDate(2025, 3, 1), QTime(0, 0), Qt::OffsetFromUTC, 3600);

LoggedFriend friendNumber(int i)
{
    return {QStringLiteral("friend.%1").arg(i, 5, 10, QChar(u'0')),
            QStringLiteral("Friend \u00E9 %1").arg(i)};
}

ScanRecord scanAt(const QDateTime &end, qint64 steadyMs)
{
    return {end.addMSecs(-1500), end, steadyMs, ScanRoute::Direct, ScanOutcome::Read, 0, 1, {}};
}

struct YearLog
{
    QString dir;
    QDateTime end;
};

// Five sessions a friend a day, one in each fifth of it, of 10 to 87 minutes: 10 changes a day.
// The program restarts every day at 04:00.
const YearLog &yearLog()
{
    static const YearLog log = [] {
        const QString dir = QDir::temp().filePath(QStringLiteral("amiscan-bench-presence-year"));
        const QString done = QDir(dir).filePath(QStringLiteral("complete"));
        const QDateTime end = YearStart.addDays(YearDays);
        if (QFileInfo::exists(done))
            return YearLog{dir, end};
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        QElapsedTimer made;
        made.start();
        {
            PresenceRecorder recorder(presenceLogPath(dir));
            recorder.open();
            QRandomGenerator random(42);
            QList<LoggedFriend> friends;
            for (int i = 0; i < YearFriends; ++i)
                friends << friendNumber(i);
            std::vector<std::pair<int, int>> sessions(size_t(YearFriends) * 5); // start, end
            QDateTime time = YearStart;
            qint64 steady = 0;
            for (int day = 0; day < YearDays; ++day) {
                for (size_t s = 0; s < sessions.size(); ++s) {
                    const int start = int(s % 5) * 288 + int(random.bounded(200));
                    sessions[s] = {start, start + 10 + int(random.bounded(78))};
                }
                recorder.beginBatch();
                for (int minute = 0; minute < 1440; ++minute, time = time.addSecs(60)) {
                    if (minute == 240 || (day == 0 && minute == 0))
                        recorder.runStarted(time, steady = 0);
                    steady += 60000;
                    ScanRecord scan = scanAt(time, steady);
                    for (int f = 0; f < YearFriends; ++f) {
                        for (int s = 0; s < 5; ++s) {
                            const auto &[start, stop] = sessions[size_t(f) * 5 + size_t(s)];
                            if (minute >= start && minute < stop)
                                scan.online << friends[f];
                        }
                    }
                    scan.entryCount = YearFriends;
                    recorder.record(scan);
                }
                recorder.endBatch();
            }
        }
        QFile marker(done);
        marker.open(QIODevice::WriteOnly);
        marker.write(QByteArray::number(made.elapsed() / 1000) + " s to make\n");
        return YearLog{dir, end};
    }();
    return log;
}

// 200 friends online out of 32767 known; Arg: how many of them changed since the scan before
// (as many others came online as went offline).
std::unique_ptr<PresenceLog> knownLog(const QString &dir)
{
    auto log = PresenceLog::open(dir);
    FriendsTable table;
    for (int i = 0; i < MaxFriends; ++i) {
        const int row = table.appendFriend();
        table.setCell(row, DisplayName, friendNumber(i).displayName);
        table.setCell(row, AccountName, friendNumber(i).userName);
    }
    log->importHistory(table);
    log->runStarted(YearStart, 0);
    log->flush();
    return log;
}

ScanRecord twoHundredOnline(qint64 n, int changed)
{
    ScanRecord scan = scanAt(YearStart.addSecs(60 * n), 60000 * n);
    const int first = n % 2 ? changed : 0;
    for (int i = first; i < first + 200; ++i)
        scan.online << friendNumber(i * 97 % MaxFriends);
    scan.entryCount = MaxFriends;
    return scan;
}

void BM_RecordScan_WindowThread(benchmark::State &state)
{
    QTemporaryDir dir;
    const auto log = knownLog(dir.path());
    const ScanRecord scans[2] = {twoHundredOnline(0, int(state.range(0))),
                                 twoHundredOnline(1, int(state.range(0)))};
    qint64 n = 0;
    for (auto _ : state) {
        log->recordScan(scans[++n % 2]);
        state.PauseTiming();
        log->flush();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RecordScan_WindowThread)
    ->Arg(0)
    ->Arg(5)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

// From the window's call until the scan is in the log.
void BM_RecordScan_Total(benchmark::State &state)
{
    QTemporaryDir dir;
    const auto log = knownLog(dir.path());
    const ScanRecord scans[2] = {twoHundredOnline(0, int(state.range(0))),
                                 twoHundredOnline(1, int(state.range(0)))};
    qint64 n = 0;
    for (auto _ : state) {
        log->recordScan(scans[++n % 2]);
        log->flush();
    }
}
BENCHMARK(BM_RecordScan_Total)->Arg(0)->Arg(5)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_YearLog_Size(benchmark::State &state)
{
    const YearLog &log = yearLog();
    qint64 bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const QFileInfo &file : QDir(log.dir).entryInfoList({"Amiscan.db*"}, QDir::Files))
            bytes += file.size();
    }
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_YearLog_Size)->Iterations(1);

void BM_YearLog_FriendPeriods90Days(benchmark::State &state)
{
    const YearLog &log = yearLog();
    PresenceDb db(presenceLogPath(log.dir), PresenceDb::Mode::Read);
    if (db.open(false) != PresenceDb::State::Ready)
        state.SkipWithError("the log does not open");
    const PeriodQuery query{log.end.addDays(-90), log.end, {friendNumber(500).userName}};
    qsizetype periods = 0;
    for (auto _ : state)
        periods = readPeriods(db.db(), query).size();
    state.counters["periods"] = double(periods);
}
BENCHMARK(BM_YearLog_FriendPeriods90Days)->Unit(benchmark::kMillisecond);

void BM_YearLog_ExportCsv(benchmark::State &state)
{
    const YearLog &log = yearLog();
    PresenceDb db(presenceLogPath(log.dir), PresenceDb::Mode::Read);
    if (db.open(false) != PresenceDb::State::Ready)
        state.SkipWithError("the log does not open");
    QTemporaryDir out;
    qint64 periods = 0, bytes = 0;
    for (auto _ : state) {
        QFile file(out.filePath(QStringLiteral("export.csv")));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        PeriodExport csv(ExportFormat::Csv, file, YearStart);
        periods = 0;
        readPeriods(db.db(), {}, [&](QList<Period> &&p) {
            periods += p.size();
            csv.write(p);
        });
        csv.finish();
        bytes = file.size();
    }
    state.counters["periods"] = double(periods);
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_YearLog_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(2);

// What start-up spends on the log on the window's thread: Arg 0 without a log, 1 with the year's.
// Ready: until the log has been opened, checked and read on its own thread.
void BM_StartUp(benchmark::State &state)
{
    QTemporaryDir empty;
    const QString dir = state.range(0) ? yearLog().dir : empty.path();
    const bool ready = state.range(1) != 0;
    for (auto _ : state) {
        auto log = PresenceLog::open(dir);
        log->runStarted(YearStart.addDays(YearDays), 0);
        if (ready)
            log->flush();
        state.PauseTiming();
        log.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"log", "ready"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace
