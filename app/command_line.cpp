#include "app/command_line.h"

#include "model/main_state.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

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
    "\nPreferences:\n"
    "  The desktop notifications, starting at login and where the password is kept\n"
    "  are set in the preferences (Ctrl+, in the main window, or --preferences). The\n"
    "  password is kept in the desktop's keyring when one answers, else in Amiscan.ini.\n");

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

    Parser()
    {
        // "-platform xcb" as the application object spells it.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral(
            "Shows which of your Vey friends are online and keeps their online history."));
        parser.addOptions({help, version, dataDir, verbose, minimized, preferences, history});
        acceptQtOptions(parser);
    }
};

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
    result.verbose = result.action == CommandLine::Action::Run && p.parser.isSet(p.verbose);
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
        break;
    }
    return 0;
}

} // namespace amiscan
