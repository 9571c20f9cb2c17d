#include "app/log_command.h"

#include "app/data_location.h"
#include "platform/logging.h"
#include "store/clock.h"
#include "store/data_dir.h"
#include "store/presence_db.h"
#include "store/presence_recorder.h"
#include "store/safe_file.h"
#include "store/scan_status.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace amiscan {

namespace {

int failure(const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("amiscan: %1\n").arg(text)), stderr);
    return 1;
}

int exportPeriods(const QString &path, const CommandLine &commandLine)
{
    PresenceDb log(path, PresenceDb::Mode::Read);
    QString error;
    if (log.open(false, &error) != PresenceDb::State::Ready)
        return failure(QStringLiteral("Cannot read the presence log %1: %2").arg(path, error));
    QFile output;
    const bool opened = commandLine.output.isEmpty()
                            ? output.open(stdout, QIODevice::WriteOnly)
                            // What friends did and when: the file is its owner's alone.
                            : (output.setFileName(commandLine.output),
                               output.open(QIODevice::WriteOnly | QIODevice::Truncate,
                                           QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    if (!opened)
        return failure(
            QStringLiteral("Cannot write %1: %2").arg(commandLine.output, output.errorString()));
    PeriodExport periodExport(commandLine.exportFormat, output, Clock::now());
    bool written = true;
    const bool read = readPeriods(
        log.db(), commandLine.exportQuery,
        [&](QList<Period> &&periods) { written = periodExport.write(periods) && written; }, &error);
    written = periodExport.finish() && written;
    output.close();
    if (!read)
        return failure(QStringLiteral("Cannot read the presence log %1: %2").arg(path, error));
    if (!written)
        return failure(QStringLiteral("Cannot write %1: %2")
                           .arg(commandLine.output.isEmpty() ? QStringLiteral("the export")
                                                             : commandLine.output,
                                output.errorString()));
    return 0;
}

// --status shows this many of the latest scans.
constexpr int StatusScans = 10;
// --status: the latest scan failed; the log cannot be read.
constexpr int LatestScanFailed = 1;
constexpr int NoStatus = 3;

int showStatus(const QString &path)
{
    PresenceDb log(path, PresenceDb::Mode::Read);
    QString error;
    ScanStatus status;
    if (log.open(false, &error) != PresenceDb::State::Ready ||
        !readScanStatus(log.db(), StatusScans, Clock::now(), &status, &error)) {
        failure(QStringLiteral("Cannot read the presence log %1: %2").arg(path, error));
        return NoStatus;
    }
    // One line a scan, newest first, then the stretch not observed now: tab-separated, for
    // scripts, the last column in plain words.
    QString text;
    for (const LoggedScan &scan : std::as_const(status.latest))
        text += QStringLiteral("%1\t%2\t%3\n")
                    .arg(scan.end.toString(Qt::ISODate), outcomeCode(scan.outcome),
                         outcomeWords(scan.outcome, scan.detail, scan.entryCount));
    if (status.latest.isEmpty())
        text += QStringLiteral("No scan recorded yet.\n");
    if (const CurrentStretch &stretch = status.stretch; stretch.cause != Unobserved::None)
        text += QStringLiteral("unobserved\t%1\t%2\t%3\n")
                    .arg(stretch.since.toString(Qt::ISODate), unobservedCode(stretch.cause),
                         QStringLiteral("not observed since then: %1")
                             .arg(stretch.failure ? outcomeWords(stretch.failure->outcome,
                                                                 stretch.failure->detail,
                                                                 stretch.failure->entryCount)
                                                  : unobservedWords(stretch.cause)));
    std::fputs(text.toUtf8().constData(), stdout);
    const bool failed = !status.latest.isEmpty() &&
                        status.latest.constFirst().outcome != ScanOutcome::Read &&
                        status.latest.constFirst().outcome != ScanOutcome::Aborted;
    return failed ? LatestScanFailed : 0;
}

int forgetFriend(const QString &path, const QString &userName)
{
    PresenceRecorder log(path);
    if (!log.open())
        return failure(QStringLiteral("Cannot open the presence log %1.").arg(path));
    if (!log.forget(userName))
        return failure(
            QStringLiteral("The presence log %1 knows no friend '%2'.").arg(path, userName));
    std::fputs(qPrintable(QStringLiteral("The presence log of %1 is forgotten.\n").arg(userName)),
               stdout);
    return 0;
}

} // namespace

int runLogCommand(int argc, char **argv, const CommandLine &commandLine)
{
    setVerbosity(commandLine.verbose);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Amiscan"));
    const QString dataDir = chooseDataDir(probeDataLocation(commandLine.dataDir));
    const QString path = presenceLogPath(dataDir);
    // Nothing is made where there is no log.
    if (!fileExists(path)) {
        failure(QStringLiteral("There is no presence log in %1.").arg(dataDir));
        return commandLine.action == CommandLine::Action::Status ? NoStatus : 1;
    }
    switch (commandLine.action) {
    case CommandLine::Action::Forget:
        return forgetFriend(path, commandLine.forgetUser);
    case CommandLine::Action::Status:
        return showStatus(path);
    default:
        return exportPeriods(path, commandLine);
    }
}

} // namespace amiscan
