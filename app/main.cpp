#include "app/application.h"
#include "app/command_line.h"
#include "app/log_command.h"
#include "store/memory_release.h"

int main(int argc, char **argv)
{
    amiscan::reuseFreedMemoryWhileStarting();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Read before the application object exists: --help needs no display.
    const amiscan::CommandLine commandLine = amiscan::parseCommandLine(arguments);
    // The presence log's commands run beside the program, without its window.
    if (commandLine.action == amiscan::CommandLine::Action::Export ||
        commandLine.action == amiscan::CommandLine::Action::Forget ||
        commandLine.action == amiscan::CommandLine::Action::Status)
        return amiscan::runLogCommand(argc, argv, commandLine);
    if (commandLine.action != amiscan::CommandLine::Action::Run)
        return amiscan::answerCommandLine(commandLine);
    return amiscan::runApplication(argc, argv, commandLine);
}
