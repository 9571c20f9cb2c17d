#include "app/log_command.h"

#include "app/data_location.h"
#include "platform/logging.h"
#include "store/clock.h"
#include "store/data_dir.h"
#include "store/presence_db.h"
#include "store/presence_recorder.h"
#include "store/safe_file.h"

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
    if (!fileExists(path))
        return failure(QStringLiteral("There is no presence log in %1.").arg(dataDir));
    return commandLine.action == CommandLine::Action::Forget
               ? forgetFriend(path, commandLine.forgetUser)
               : exportPeriods(path, commandLine);
}

} // namespace amiscan
