#pragma once

#include "store/period_export.h"
#include "store/presence_query.h"

#include <QString>
#include <QStringList>

namespace amiscan {

// What the program's command line asks for.
struct CommandLine
{
    enum class Action
    {
        Run,
        ShowHelp,
        ShowVersion,
        Refuse,
        Export, // --export: the presence log's periods, without the window
        Forget, // --forget: a friend's presence log removed
    };

    Action action = Action::Run;
    QString dataDir;      // from --data-dir, absolute; empty when not given
    bool verbose = false; // --verbose: the reasons of failures on standard error
    QString error;        // why the command line is refused
    // --export FORMAT, with --from, --to and --friend; --output, or standard output when empty.
    ExportFormat exportFormat = ExportFormat::Csv;
    PeriodQuery exportQuery;
    QString output;
    QString forgetUser; // --forget USERNAME
    // --minimized: the window starts minimised, in the notification area when its option is on
    // (how the autostart entry starts it).
    bool minimized = false;
    // --preferences, --history: the window to open, in the running copy when there is one.
    enum class Window
    {
        Main,
        Preferences,
        History,
    };
    Window window = Window::Main;
};

// Reads the arguments, the program's name first. Qt's own options (-platform, -style,
// -session, ...) are accepted and left to the application object.
CommandLine parseCommandLine(const QStringList &arguments);

// The text of --help: the options and where the program keeps its files.
QString commandLineHelp();

// Answers a command line that does not run the program: prints the help or the version to
// standard output, or the refusal to standard error. Returns the exit code: 0, or 2 when refused.
int answerCommandLine(const CommandLine &commandLine);

} // namespace amiscan
