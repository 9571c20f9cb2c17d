// The presence log: the honest period rules, the log that records them on its own thread, its
// faults, and its exports read back by real parsers.
#include "data_table.h"
#include "file_faults.h"
#include "friend_rows.h"
#include "platform/single_instance.h"
#include "store/clock.h"
#include "store/data_dir.h"
#include "store/presence_db.h"
#include "store/presence_log.h"
#include "store/presence_recorder.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

// Scans written as "; a b; +91 a=Ann; ! a" (one scan per ";"): `+S` seconds since the previous
// scan (60), `~S` the wall clock moved S seconds more than the steady one, `!` a new run of the
// program, `x` a failed scan (`x:CODE` for the outcome of that code), `iM` the interval from then
// on (1 minute), `dS` the scan took S seconds; then the user names online, each with `=` its
// display name if not the same. The first scan ends at `first`.
QList<RunScan> scenario(const QString &text,
                        const QDateTime &first = QDateTime(QDate(2026, 3, 1), QTime(12, 0),
                                                           Qt::OffsetFromUTC, 3600))
{
    QList<RunScan> scans;
    QDateTime wall = first;
    qint64 steady = 1000000, run = 1;
    int interval = 1;
    for (const QString &scan : text.split(u';')) {
        ScanRecord r{{}, {}, 0, ScanRoute::Direct, ScanOutcome::Read, 0, 0, {}};
        qint64 step = 60, skew = 0, took = 0;
        for (const QString &word : scan.split(u' ', Qt::SkipEmptyParts)) {
            const qint64 n = word.mid(1).toLongLong();
            switch (word[0].unicode()) {
            case u'+':
                step = n;
                break;
            case u'~':
                skew = n;
                break;
            case u'!':
                ++run; // the steady clock goes on: the same boot
                break;
            case u'x':
                r.outcome = outcomeFromCode(word.mid(2));
                break;
            case u'i':
                interval = int(n);
                break;
            case u'd':
                took = n;
                break;
            default:
                r.online << LoggedFriend{word.section(u'=', 0, 0), word.section(u'=', -1)};
            }
        }
        if (!scans.isEmpty()) {
            wall = wall.addSecs(step + skew);
            steady += step * 1000;
        }
        r.start = wall.addSecs(-took);
        r.end = wall;
        r.steadyMsAtEnd = steady;
        r.intervalMinutes = interval;
        r.entryCount = int(r.online.size());
        scans << RunScan{run, r};
    }
    return scans;
}

// "a=Ann:1-2/0-3": user (and display) name, the scans of the inner then outer bounds ("?" unseen,
// with the code of its cause); imported periods by their times. "!" marks a seen flag that
// disagrees with its bound.
QStringList describe(const QList<Period> &periods, const QList<RunScan> &scans)
{
    QHash<qint64, int> scanAt;
    for (int i = 0; i < scans.size(); ++i)
        scanAt.insert(scans[i].record.end.toMSecsSinceEpoch(), i);
    const auto at = [&](const QDateTime &t, bool imported, Unobserved why = Unobserved::None) {
        return !t.isValid() ? u'?' + unobservedCode(why)
               : imported   ? t.toLocalTime().toString(QStringLiteral("dd/MM/yy hh:mm"))
                            : QString::number(scanAt.value(t.toMSecsSinceEpoch(), -1));
    };
    QStringList lines;
    for (const Period &p : periods) {
        lines << p.userName + (p.displayName == p.userName ? QString() : u'=' + p.displayName) +
                     u':' + at(p.innerStart, p.imported) + u'-' + at(p.innerEnd, p.imported) +
                     u'/' + at(p.outerStart, false, p.startUnseen) + u'-' +
                     at(p.outerEnd, false, p.endUnseen) +
                     (p.startSeen != p.outerStart.isValid() || p.endSeen != p.outerEnd.isValid()
                          ? "!"
                          : "") +
                     (p.imported ? " imported" : "");
    }
    return lines;
}

// Records the scans, a run started before each run's first scan, and waits for them.
void record(PresenceLog &log, const QList<RunScan> &scans, qsizetype from = 0, qsizetype to = -1)
{
    for (qsizetype i = from; i < (to < 0 ? scans.size() : to); ++i) {
        if (i == 0 || scans[i].runId != scans[i - 1].runId)
            log.runStarted(scans[i].record.start, scans[i].record.steadyMsAtEnd);
        log.recordScan(scans[i].record);
    }
    log.flush();
}

int count(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}

} // namespace

class TestPresenceLog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::set({}); }

    // The rules, by themselves and as the log applies them to what it recorded.
    void periods_data()
    {
        addColumns<QString, QStringList>({"scans", "periods"});
        addRow("seen from start to end", "; a; a; ", QStringList{"a:1-2/0-3"});
        addRow("first scan of the log", "a; a; ", QStringList{"a:0-1/?start-2"});
        addRow("still online", "; a; a", QStringList{"a:1-2/0-?"});
        addRow("gap just under 1.5 intervals", "; a; +89 a; ", QStringList{"a:1-2/0-3"});
        addRow("gap just over 1.5 intervals", "; a; +91 a; ",
               QStringList{"a:1-1/0-?gap", "a:2-2/?gap-3"});
        addRow("a slow scan is no gap", "; a; +100 d20 a; ", QStringList{"a:1-2/0-3"});
        addRow("a longer interval", "; a; i10 +600 a; ", QStringList{"a:1-2/0-3"});
        addRow("repetition off", "i0; a; +30 a", QStringList{"a:1-1/?gap-?gap", "a:2-2/?gap-?gap"});
        addRow("failed scans in a gap", "; a; x; a; ", QStringList{"a:1-1/0-?gap", "a:3-3/?gap-4"});
        addRow("a failed scan between", "; a; +30 x; +30 a; ", QStringList{"a:1-3/0-4"});
        addRow("failures name their gap", "; a; x:no-answer; x:no-user-names; a; ",
               QStringList{"a:1-1/0-?not-understood", "a:4-4/?not-understood-5"});
        addRow("aborted scans name nothing", "; a; x:logged-out; x:aborted; a; ",
               QStringList{"a:1-1/0-?logged-out", "a:4-4/?logged-out-5"});
        addRow("failing now", "; a; a; x:certificate", QStringList{"a:1-2/0-?certificate"});
        addRow("a restart", "; a; ! +10 a; ", QStringList{"a:1-1/0-?off", "a:2-2/?off-3"});
        addRow("restarted, no scan read since", "; a; ! x:aborted", QStringList{"a:1-1/0-?off"});
        addRow("asleep", "; a; ~600 a; ", QStringList{"a:1-1/0-?sleep", "a:2-2/?sleep-3"});
        addRow("clock set forward", "; a; ~3600 a; ",
               QStringList{"a:1-1/0-?sleep", "a:2-2/?sleep-3"});
        addRow("clock set back", "; a; ~-3600 a; ", QStringList{"a:1-1/0-?back", "a:2-2/?back-3"});
        addRow("clock set back a little", "; a; +10 ~-20 a; ",
               QStringList{"a:1-1/0-?back", "a:2-2/?back-3"});
        addRow("the clocks drifting", "; a; ~20 a; ", QStringList{"a:1-2/0-3"});
        addRow("missing from one scan", "; a; a; ; a; a; ", QStringList{"a:1-2/0-3", "a:4-5/3-6"});
        addRow("namesakes", "; a=Ann b=Ann; a=Ann; ",
               QStringList{"a=Ann:1-2/0-3", "b=Ann:1-1/0-2"});
        addRow("a new display name", "; a=Ann; a=Anne; ; a=Anne",
               QStringList{"a=Ann:1-2/0-3", "a=Anne:4-4/3-?"});
        addRow("renamed while offline", "; a=Ann; b; a=Anne; a=Anne; b",
               QStringList{"a=Ann:1-1/0-2", "a=Anne:3-4/2-5", "b:2-2/1-3", "b:5-5/4-?"});
        addRow("back offline, as before, after a restart", "; a=Ann b; ; ! a=Ann",
               QStringList{"a=Ann:1-1/0-2", "a=Ann:3-3/?off-?", "b:1-1/0-2"});
    }
    void periods()
    {
        auto [text, expected] = fetch<QString, QStringList>("scans", "periods");
        const QList<RunScan> scans = scenario(text);
        // Read as the last scan ends: a period still open runs into the stretch since, if any.
        Clock::set(scans.last().record.end);
        QCOMPARE(describe(derivePeriods(scans, Clock::now()), scans), expected);
        // Each run of the program opens the log anew, knowing only what the log holds.
        QTemporaryDir dir;
        auto log = PresenceLog::open(dir.path());
        for (qsizetype i = 0; i < scans.size(); ++i) {
            if (i > 0 && scans[i].runId != scans[i - 1].runId) {
                log.reset();
                log = PresenceLog::open(dir.path());
            }
            record(*log, scans, i, i + 1);
        }
        QCOMPARE(describe(log->periods({}), scans), expected);
    }

    // A scan in which nothing changed is one row; the files are their owner's alone.
    void unchangedScans_costOneRowEach()
    {
        QTemporaryDir dir;
        const auto log = PresenceLog::open(dir.path());
        record(*log, scenario("a b; a b; a b; a b"));
        PresenceDb db(presenceLogPath(dir.path()), PresenceDb::Mode::Read);
        QCOMPARE(db.open(false), PresenceDb::State::Ready);
        QCOMPARE(count(db.db(), "SELECT count(*) FROM scans"), 4);
        QCOMPARE(count(db.db(), "SELECT count(*) FROM changes"), 2);
        // Opened again by the next run, the log knows who is online: b going offline is one
        // change, a staying online none.
        const QList<RunScan> later = scenario("a; a");
        {
            const auto again = PresenceLog::open(dir.path());
            record(*again, later);
        }
        QCOMPARE(count(db.db(), "SELECT count(*) FROM changes"), 3);
        QCOMPARE(count(db.db(), "SELECT count(*) FROM online"), 1);
        for (const char *file : {"Amiscan.db", "Amiscan.db-wal"})
            QCOMPARE(QFile(dir.filePath(file)).permissions() & 0x0077, 0);
    }

    void damagedOrUnopenable_isKeptAside_data()
    {
        addColumns<QString, QString>({"log", "keptAs"});
        addRow("not a database", "garbage", "damaged");
        addRow("a damaged page", "page", "damaged");
        addRow("a directory", "directory", "unreadable");
        addRow("a link", "link", "unreadable");
        addRow("the first version's, brought up to date", "version 1", "");
    }
    void damagedOrUnopenable_isKeptAside()
    {
        auto [kind, keptAs] = fetch<QString, QString>("log", "keptAs");
        QTemporaryDir dir;
        const QString path = presenceLogPath(dir.path());
        if (kind == "garbage") {
            QVERIFY(writeBytes(path, QByteArray(8192, 'x')));
        } else if (kind == "page") {
            QString many;
            for (int i = 0; i < 400; ++i)
                many += QStringLiteral("; a%1 b%2").arg(i % 50).arg(i % 7);
            record(*PresenceLog::open(dir.path()), scenario(many));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.size() > 4 * 4096);
            file.seek(3 * 4096);
            file.write(QByteArray(4096, '\x55'));
        } else if (kind == "version 1") { // the first version had no details of outcomes
            PresenceDb first(path, PresenceDb::Mode::Write);
            QCOMPARE(first.open(false), PresenceDb::State::Ready);
            QSqlQuery query(first.db());
            QVERIFY(query.exec("ALTER TABLE scans DROP COLUMN detail") &&
                    query.exec("PRAGMA user_version=1"));
        } else if (kind == "directory") {
            QVERIFY(QDir(dir.path()).mkdir("Amiscan.db"));
        } else {
            QVERIFY(QFile::link(dir.filePath("elsewhere.db"), path));
        }
        const auto log = PresenceLog::open(dir.path());
        const QList<RunScan> scans = scenario("; a; ");
        record(*log, scans);
        QCOMPARE(describe(log->periods({}), scans), QStringList{"a:1-1/0-2"});
        QCOMPARE(QDir(dir.path())
                     .entryList({"Amiscan." + keptAs + "-*.db"}, QDir::AllEntries | QDir::System)
                     .size(),
                 keptAs.isEmpty() ? 0 : 1);
        QVERIFY(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink());
    }

    // A log that cannot be written for a while leaves that stretch unobserved, and goes on; one
    // locked when the program starts is not taken for damaged.
    void faults_leaveARecordedGap_data()
    {
        addColumns<QString>({"fault"});
        addRow("locked by another process", "locked");
        addRow("a full disk", "full");
        addRow("locked at start", "start");
    }
    void faults_leaveARecordedGap()
    {
        auto [fault] = fetch<QString>("fault");
        QTemporaryDir dir;
        auto log = PresenceLog::open(dir.path());
        const QList<RunScan> scans = scenario("; a; +30 a; +30 a; ");
        record(*log, scans, 0, 2);
        {
            if (fault == "start")
                log.reset();
            PresenceDb other(presenceLogPath(dir.path()), PresenceDb::Mode::Write);
            QCOMPARE(other.open(false), PresenceDb::State::Ready);
            QSqlQuery lock(other.db());
            QVERIFY(fault != "start" || lock.exec("PRAGMA locking_mode=EXCLUSIVE"));
            QVERIFY(fault == "full" || lock.exec("BEGIN EXCLUSIVE"));
            QVERIFY(fault != "start" || lock.exec("DELETE FROM meta"));
            std::optional<FileSizeLimit> full;
            if (fault == "full")
                QVERIFY(full.emplace(1).active());
            if (!log)
                log = PresenceLog::open(dir.path());
            record(*log, scans, 2, 3);
            lock.exec("ROLLBACK");
        }
        record(*log, scans, 3);
        QCOMPARE(describe(log->periods({}), scans),
                 (QStringList{"a:1-1/0-?lost", "a:3-3/?lost-4"}));
        QCOMPARE(QDir(dir.path()).entryList({"Amiscan.*"}, QDir::Files),
                 (QStringList{"Amiscan.db", "Amiscan.db-shm", "Amiscan.db-wal"}));
    }

    // The history file's sessions come in once, marked as imported, before the live ones.
    void historyImport_once()
    {
        FriendsTable table;
        friend_rows::Friend ann{"Ann", "a"};
        ann.start2 = "03/09/12 10:00";
        ann.end2 = "03/09/12 11:00";
        friend_rows::add(table, ann);
        friend_rows::add(table, friend_rows::Friend{"Bob", "b", true});
        QTemporaryDir dir;
        const QList<RunScan> scans = scenario("; a=Ann; ");
        const QStringList expected{"a=Ann:03/09/12 10:00-03/09/12 11:00/?-? imported",
                                   "a=Ann:04/09/12 14:19-04/09/12 16:02/?-? imported",
                                   "a=Ann:1-1/0-2",
                                   "b=Bob:04/09/12 14:19-04/09/12 14:19/?-? imported"};
        // The next start's history holds the sessions the scans made since: not imported.
        for (int start = 0; start < 2; ++start) {
            const auto log = PresenceLog::open(dir.path());
            log->importHistory(table);
            if (start == 0)
                record(*log, scans);
            table.setCell(1, Start1, "01/03/26 12:01");
            QCOMPARE(describe(log->periods({}), scans), expected);
        }
    }

    // A friend forgotten by another process (amiscan --forget) while the log is written, then
    // seen again; then the days before the last one dropped, and a friend forgotten here.
    void forgetAndRetention_keepTheRest()
    {
        QTemporaryDir dir;
        const auto log = PresenceLog::open(dir.path());
        const QList<RunScan> scans = scenario("; a b; a b; +172800 a b; a");
        Clock::set(scans.last().record.end);
        record(*log, scans, 0, 3);
        {
            PresenceRecorder other(presenceLogPath(dir.path()));
            QVERIFY(other.open() && other.forget("b") && !other.forget("nobody"));
        }
        record(*log, scans, 3);
        QCOMPARE(describe(log->periods({}), scans),
                 (QStringList{"a:1-2/0-?gap", "a:3-4/?gap-?", "b:3-3/?gap-4"}));
        log->applyRetention(1, scans.last().record.end);
        QCOMPARE(describe(log->periods({}), scans),
                 (QStringList{"a:3-4/?start-?", "b:3-3/?start-4"}));
        log->forget("a");
        QCOMPARE(describe(log->periods({}), scans), QStringList{"b:3-3/?start-4"});
    }

    // amiscan --status: the outcome of each latest scan, newest first, then the stretch not
    // observed now, if any; `-` for no log at all.
    void status_tellsTheLatestScansAndTheStretchNow_data()
    {
        addColumns<QString, bool, QString, int>({"scans", "closed", "status", "exitCode"});
        addRow("scans read", "; a; a", false, "read read read", 0);
        addRow("failing now", "; a; x:no-user-names", false,
               "no-user-names read read unobserved:not-understood", 1);
        addRow("working again", "; a; x:logged-out; a", false, "read logged-out read read", 0);
        addRow("the program closed", "; a; a", true, "read read read unobserved:off", 0);
        addRow("no log", "-", false, "", 3);
    }
    void status_tellsTheLatestScansAndTheStretchNow()
    {
        auto [text, closed, status] = fetch<QString, bool, QString>("scans", "closed", "status");
        QTemporaryDir dir;
        if (text != "-") { // the latest scan ends now
            const QList<RunScan> scans =
                scenario(text, QDateTime::currentDateTime().addSecs(-60 * text.count(u';') - 5));
            const auto log = PresenceLog::open(dir.path());
            record(*log, scans);
            if (closed)
                log->runEnded(scans.last().record.end);
        }
        QProcess program;
        program.start(AMISCAN_EXECUTABLE, {"--data-dir", dir.path(), "--status"});
        QVERIFY(program.waitForFinished(30000));
        QStringList shown;
        for (const QString &line :
             QString::fromUtf8(program.readAllStandardOutput()).split(u'\n')) {
            const QStringList columns = line.split(u'\t');
            if (columns.size() >= 3)
                shown << (columns[0] == "unobserved" ? "unobserved:" + columns[2] : columns[1]);
        }
        QCOMPARE(shown.join(u' '), status);
        QTEST(program.exitCode(), "exitCode");
    }

    // Each format read back by a real parser, exported by the program while another copy holds
    // the log and the single-copy lock.
    void exports_readBackByParsers_data()
    {
        addColumns<QString, bool>({"format", "toStandardOutput"});
        addRow("csv", "csv", false);
        addRow("json", "json", false);
        addRow("ics", "ics", true);
    }
    void exports_readBackByParsers()
    {
        auto [format, toStandardOutput] = fetch<QString, bool>("format", "toStandardOutput");
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QVERIFY(running.tryAcquire());
        const auto log = PresenceLog::open(dir.path());
        FriendsTable table;
        friend_rows::add(table, friend_rows::Friend{"Old, \"friend\"", "old"});
        log->importHistory(table);
        const QString odd = QStringLiteral("A, \"B\"; C\\D Ünïcødé ") + QString(40, u'é');
        const QList<RunScan> scans =
            scenario("; x=" + odd + " ann=Ann; x=" + odd + "; ! ann=Ann; ann=Ann");
        record(*log, scans);
        const QString output = dir.filePath("export." + format);
        QProcess program;
        QStringList arguments{"--data-dir", dir.path(), "--export", format};
        if (toStandardOutput)
            program.setStandardOutputFile(output);
        else
            arguments << "--output" << output;
        program.start(AMISCAN_EXECUTABLE, arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.readAllStandardError(), QByteArray());
        QCOMPARE(program.exitCode(), 0);

        QProcess reader;
        reader.start(AMISCAN_DEBIAN_PYTHON, {AMISCAN_READ_EXPORT, format, output});
        QVERIFY(reader.waitForFinished(30000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        QStringList expected;
        const auto utc = [](const QDateTime &t) {
            return t.isValid() ? t.toUTC().toString(Qt::ISODate) : QString();
        };
        // The calendar tells why a bound was not seen, after the bounds.
        const auto unseen = [](Unobserved why, const char *bound) {
            return why == Unobserved::None ? QString()
                                           : QStringLiteral(" %1 not seen: %2.")
                                                 .arg(QLatin1String(bound), unobservedWords(why));
        };
        const auto flag = [](bool on) {
            return on ? QStringLiteral("true") : QStringLiteral("false");
        };
        for (const Period &p : log->periods({})) {
            if (format == "ics")
                expected << (p.displayName == p.userName
                                 ? p.displayName
                                 : p.displayName + " (" + p.userName + ")") +
                                " online|" + utc(p.innerStart) + u'|' +
                                (p.innerEnd > p.innerStart ? utc(p.innerEnd) : QString()) + u'|' +
                                unseen(p.startUnseen, "Start") + unseen(p.endUnseen, "End");
            else
                expected << QStringList{p.userName,        p.displayName,     utc(p.innerStart),
                                        utc(p.innerEnd),   utc(p.outerStart), utc(p.outerEnd),
                                        flag(p.startSeen), flag(p.endSeen),   flag(p.imported)}
                                    .join(u'|') +
                                u'|' + unobservedCode(p.startUnseen) + u'|' +
                                unobservedCode(p.endUnseen);
        }
        QStringList lines =
            QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        if (format == "ics") {
            for (QString &line : lines)
                line = line.section(u'|', 0, 2) + u'|' +
                       line.section(u'|', 3).section(QRegularExpression("(?= (Start|End) not)"), 1);
        }
        QCOMPARE(lines, expected);
    }
};

QTEST_GUILESS_MAIN(TestPresenceLog)
#include "test_presence_log.moc"
