#include "app/command_line.h"

#include "model/main_state.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstdio>
#include <tuple>

namespace amiscan {

namespace {

// Where the files live and how to turn on the notifications, as --help tells it.
const QString FilesRule = QStringLiteral(
    "\nFiles:\n"
    "  Amiscan keeps its settings (Amiscan.ini) and its history (Amiscan.txt) in its data\n"
    "  directory, the first of:\n"
    "  1. the directory given with --data-dir;\n"
    "  2. for an installed copy (from the package or cmake --install), the user's data\n"
    "     directory: $XDG_DATA_HOME/Amiscan, by default ~/.local/share/Amiscan;\n"
    "  3. the directory of the executable, when it is writable (a copy unpacked or built\n"
    "     anywhere keeps its files beside itself);\n"
    "  4. the user's data directory.\n"
    "  A data directory that does not exist is created, open to its owner only.\n"
    "  One copy of Amiscan runs per data directory; starting another one brings the\n"
    "  running copy's window back.\n"
    "\nHistory window:\n"
    "  Each friend's last days hour by hour, their usual hours and their periods, drawn\n"
    "  from the presence log, with exports. Ctrl+H opens it from the main window; so do\n"
    "  the action of a notification where the desktop shows actions, the desktop entry's\n"
    "  action \"Show history\", and amiscan --history, which asks the copy already running\n"
    "  to open it. Back at the computer after more than ten minutes with the screen\n"
    "  locked or idle, one notification names the friends who were online meanwhile\n"
    "  (\"While you were away\"), as the preferences' notifications of friends coming\n"
    "  online say: on or off, for the chosen friends or all, quiet hours.\n"
    "\nPresence log:\n"
    "  Every scan is also kept in Amiscan.db in the data directory: who came online and\n"
    "  who went offline, from which --export reads every online period with both of its\n"
    "  bounds (online at least from the first scan that saw the friend to the last, at\n"
    "  most from the scan before to the scan after), whether its start and end were\n"
    "  seen, and whether it was imported from the history file. Stretches without a\n"
    "  scan, while Amiscan was not running or the computer slept, are not observed.\n"
    "  It works while Amiscan runs. A date is YYYY-MM-DD (--to takes the whole day) or\n"
    "  an ISO 8601 date and time such as 2026-03-01T18:30 or 2026-03-01T18:30+01:00.\n"
    "  Everything is kept, unless KeepDays=N in the [Log] section of Amiscan.ini keeps\n"
    "  the last N days only; a friend deleted in the management list keeps their log\n"
    "  until --forget removes it.\n"
    "  --status prints the latest scans, newest first, one a line: the time it ended,\n"
    "  its outcome's code and its cause in plain words (a failed scan says why: logged\n"
    "  out, page not understood, service error, network unavailable, certificate\n"
    "  refused, no answer, aborted); then, when the presence of friends is not observed\n"
    "  now, a line 'unobserved', since when and why. It exits with 1 when the latest\n"
    "  scan failed.\n"
    "\nPreferences:\n"
    "  The desktop notifications, starting at login and where the password is kept\n"
    "  are set in the preferences (Ctrl+, in the main window, or --preferences). The\n"
    "  password is kept in the desktop's keyring when one answers, else in Amiscan.ini.\n"
    "  Unless turned off there, scans that start failing for a cause you can act on\n"
    "  (logged out, page not understood, certificate refused), or that fail for longer\n"
    "  than three scan intervals, are told once by a desktop notification, and once\n"
    "  more when they work again.\n");

// The options of the application object, which reads them itself: accepted here, not shown.
void acceptQtOptions(QCommandLineParser &parser)
{
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin",
                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display",
                             "geometry", "style", "stylesheet", "qmljsdebugger"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

struct Parser
{
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help and where the files are kept.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Shows the version.")};
    QCommandLineOption dataDir{QStringLiteral("data-dir"),
                               QStringLiteral("Keeps the settings and the history in <DIR>."),
                               QStringLiteral("DIR")};
    QCommandLineOption verbose{
        QStringLiteral("verbose"),
        QStringLiteral("Tells on standard error why a scan failed, why a file could not be "
                       "read or saved and what the desktop lacks, with the notes of the "
                       "toolkit and of the browser engine. Without it Amiscan prints nothing "
                       "but its own messages.")};

    QCommandLineOption minimized{
        QStringLiteral("minimized"),
        QStringLiteral("Starts with the window minimised: in the notification area when "
                       "\"Minimize icon\" is checked.")};
    QCommandLineOption preferences{
        QStringLiteral("preferences"),
        QStringLiteral("Opens the preferences, in the copy of Amiscan already running if any.")};
    QCommandLineOption history{
        QStringLiteral("history"),
        QStringLiteral("Opens the history window, in the copy of Amiscan already running if "
                       "any.")};
    QCommandLineOption exportFormat{
        QStringLiteral("export"),
        QStringLiteral("Writes every online period of the presence log as csv, json or ics (a "
                       "calendar), then exits."),
        QStringLiteral("FORMAT")};
    QCommandLineOption from{QStringLiteral("from"),
                            QStringLiteral("Exports the periods from <DATE> on."),
                            QStringLiteral("DATE")};
    QCommandLineOption to{QStringLiteral("to"),
                          QStringLiteral("Exports the periods up to <DATE>, that day included."),
                          QStringLiteral("DATE")};
    QCommandLineOption friendName{
        QStringLiteral("friend"),
        QStringLiteral("Exports the periods of the friend with this user name only; repeat it "
                       "for more friends."),
        QStringLiteral("USERNAME")};
    QCommandLineOption output{
        QStringLiteral("output"),
        QStringLiteral("Writes the export to <FILE> rather than to standard output."),
        QStringLiteral("FILE")};
    QCommandLineOption forget{
        QStringLiteral("forget"),
        QStringLiteral("Removes the presence log of the friend with this user name, then exits."),
        QStringLiteral("USERNAME")};
    QCommandLineOption status{
        QStringLiteral("status"),
        QStringLiteral("Prints the outcomes of the latest scans and the stretch not observed "
                       "now, if any, from the presence log, then exits: with 1 when the latest "
                       "scan failed.")};

    Parser()
    {
        // "-platform xcb" as the application object spells it.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral(
            "Shows which of your Vey friends are online and keeps their online history."));
        parser.addOptions({help, version, dataDir, verbose, minimized, preferences, history,
                           exportFormat, from, to, friendName, output, forget, status});
        acceptQtOptions(parser);
    }
};

// A date of --from or --to: a day in local time (--to takes the whole of it), or an ISO 8601
// date and time, local when it names no offset.
QDateTime readDate(const QString &text, bool endOfDay)
{
    if (text.size() == 10) {
        const QDate day = QDate::fromString(text, Qt::ISODate);
        return !day.isValid() ? QDateTime()
               : endOfDay     ? day.addDays(1).startOfDay().addMSecs(-1)
                              : day.startOfDay();
    }
    return text.contains(u'T') ? QDateTime::fromString(text, Qt::ISODate) : QDateTime();
}

// Reads the options of --export and --forget; false with the reason when they are refused.
bool readLogOptions(const Parser &p, CommandLine &result)
{
    const QCommandLineParser &parser = p.parser;
    const auto refuse = [&result](const QString &error) {
        result.error = error;
        return false;
    };
    if (parser.isSet(p.status)) {
        if (parser.isSet(p.exportFormat) || parser.isSet(p.forget))
            return refuse(QStringLiteral("The options --export, --forget and --status go one at a "
                                         "time."));
        result.action = CommandLine::Action::Status;
    }
    if (parser.isSet(p.forget)) {
        if (parser.isSet(p.exportFormat))
            return refuse(QStringLiteral("The options --export and --forget go one at a time."));
        result.forgetUser = parser.value(p.forget);
        if (result.forgetUser.isEmpty())
            return refuse(QStringLiteral("The option --forget needs a user name."));
        result.action = CommandLine::Action::Forget;
    }
    for (const QCommandLineOption *option : {&p.from, &p.to, &p.friendName, &p.output}) {
        if (parser.isSet(*option) && !parser.isSet(p.exportFormat))
            return refuse(
                QStringLiteral("The option --%1 goes with --export.").arg(option->names().first()));
    }
    if (!parser.isSet(p.exportFormat))
        return true;
    const QString format = parser.value(p.exportFormat);
    const std::optional<ExportFormat> named = exportFormatNamed(format.toLower());
    if (!named)
        return refuse(
            QStringLiteral("The format of --export is csv, json or ics, not '%1'.").arg(format));
    result.action = CommandLine::Action::Export;
    result.exportFormat = *named;
    PeriodQuery &query = result.exportQuery;
    for (const auto &[option, date, end] :
         {std::tuple{&p.from, &query.from, false}, std::tuple{&p.to, &query.to, true}}) {
        if (!parser.isSet(*option))
            continue;
        *date = readDate(parser.value(*option), end);
        if (!date->isValid())
            return refuse(QStringLiteral("Cannot read the date '%1' of --%2: give YYYY-MM-DD or "
                                         "an ISO 8601 date and time such as 2026-03-01T18:30.")
                              .arg(parser.value(*option), option->names().first()));
    }
    if (query.from.isValid() && query.to.isValid() && query.from > query.to)
        return refuse(QStringLiteral("The date of --from comes after that of --to."));
    query.friends = parser.values(p.friendName);
    if (query.friends.contains(QString()))
        return refuse(QStringLiteral("The option --friend needs a user name."));
    if (parser.isSet(p.output) && parser.value(p.output).isEmpty())
        return refuse(QStringLiteral("The option --output needs a file."));
    result.output = parser.value(p.output);
    return true;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    Parser p;
    CommandLine result;
    if (!p.parser.parse(arguments)) {
        result.action = CommandLine::Action::Refuse;
        result.error = p.parser.errorText();
    } else if (p.parser.isSet(p.help)) {
        result.action = CommandLine::Action::ShowHelp;
    } else if (p.parser.isSet(p.version)) {
        result.action = CommandLine::Action::ShowVersion;
    } else if (!p.parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Refuse;
        result.error = QStringLiteral("Unexpected argument '%1'.")
                           .arg(p.parser.positionalArguments().constFirst());
    } else if (p.parser.isSet(p.dataDir)) {
        const QString dir = p.parser.value(p.dataDir);
        if (dir.isEmpty()) {
            result.action = CommandLine::Action::Refuse;
            result.error = QStringLiteral("The option --data-dir needs a directory.");
        } else {
            result.dataDir = QDir::cleanPath(QDir::current().absoluteFilePath(dir));
        }
    }
    if (result.action == CommandLine::Action::Run && !readLogOptions(p, result))
        result.action = CommandLine::Action::Refuse;
    result.verbose = result.action != CommandLine::Action::Refuse &&
                     result.action != CommandLine::Action::ShowHelp &&
                     result.action != CommandLine::Action::ShowVersion && p.parser.isSet(p.verbose);
    result.minimized = p.parser.isSet(p.minimized);
    if (result.action != CommandLine::Action::Run) {
    } else if (p.parser.isSet(p.preferences) && p.parser.isSet(p.history)) {
        result.action = CommandLine::Action::Refuse;
        result.error =
            QStringLiteral("The options --preferences and --history exclude each other.");
    } else if (p.parser.isSet(p.preferences)) {
        result.window = CommandLine::Window::Preferences;
    } else if (p.parser.isSet(p.history)) {
        result.window = CommandLine::Window::History;
    }
    return result;
}

QString commandLineHelp()
{
    Parser p;
    // The parser's own usage line names the executable only once an application object exists.
    return QStringLiteral("Usage: amiscan [options]\n") + p.parser.helpText().section(u'\n', 1) +
           FilesRule;
}

int answerCommandLine(const CommandLine &commandLine)
{
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
        std::fputs(qPrintable(commandLineHelp()), stdout);
        return 0;
    case CommandLine::Action::ShowVersion:
        std::fputs(qPrintable(QStringLiteral("Amiscan %1\n").arg(programVersionText())), stdout);
        return 0;
    case CommandLine::Action::Refuse:
        std::fputs(qPrintable(QStringLiteral("amiscan: %1\nTry 'amiscan --help' for the "
                                             "options.\n")
                                  .arg(commandLine.error)),
                   stderr);
        return 2;
    case CommandLine::Action::Run:
    case CommandLine::Action::Export:
    case CommandLine::Action::Forget:
    case CommandLine::Action::Status:
        break;
    }
    return 0;
}

} // namespace amiscan
