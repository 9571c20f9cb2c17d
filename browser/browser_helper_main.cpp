// The browser helper: the embedded browser in a process of its own, which the program starts
// when a scan needs the browser and ends when the scan is done with it. It talks with the program
// over its standard input and output and ends when its input closes.
#include "browser/browser_relay.h"
#include "browser/engine_notes.h"
#include "browser/webengine_browser.h"

#include <QGuiApplication>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    // The pipes to the program are the helper's alone. The browser's own processes inherit the
    // standard streams: they get no input, and the error stream in place of the output, so
    // nothing they write can be taken for an answer.
    const int input = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    const int output = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (input < 0 || output < 0 || nothing < 0 || dup2(nothing, STDIN_FILENO) < 0 ||
        dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 1;
    close(nothing);

    // The browser shows nothing: it needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    amiscan::setEngineVerbosity();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    amiscan::WebEngineBrowser browser;
    amiscan::BrowserRelay relay(browser, input, output);
    QObject::connect(&relay, &amiscan::BrowserRelay::inputClosed, &app, &QCoreApplication::quit);
    browser.load();
    return app.exec();
}
