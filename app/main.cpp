#include "app/application.h"
#include "app/command_line.h"

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Read before the application object exists: --help needs no display.
    const amiscan::CommandLine commandLine = amiscan::parseCommandLine(arguments);
    if (commandLine.action != amiscan::CommandLine::Action::Run)
        return amiscan::answerCommandLine(commandLine);
    return amiscan::runApplication(argc, argv, commandLine);
}
