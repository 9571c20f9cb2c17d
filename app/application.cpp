#include "app/application.h"

#include "app/data_location.h"
#include "app/end_of_run.h"
#include "app/single_copy.h"
#include "model/main_model.h"
#include "platform/logging.h"
#include "store/data_dir.h"
#include "store/safe_file.h"
#include "ui/form1.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>

#include <cstdio>

namespace amiscan {

int runApplication(int argc, char **argv, const CommandLine &commandLine)
{
    setVerbosity(commandLine.verbose);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Amiscan"));
    // Ties the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(AMISCAN_APP_ID));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    // A warning also goes to standard error, for a start from a terminal or a script.
    const auto warn = [](const QString &title, const QString &text) {
        std::fprintf(stderr, "amiscan: %s\n", qPrintable(text));
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok);
        box.exec();
    };
    const QString dataDir = chooseDataDir(probeDataLocation(commandLine.dataDir));
    if (QString error; !prepareDataDir(dataDir, &error)) {
        warn(QStringLiteral("Amiscan"), error);
        return 1;
    }
    SingleInstance instance(dataDir);
    CopyChannel channel(dataDir);
    if (!claimSingleCopy(instance, channel, warn))
        return 0;
    // No other copy saves here now: what saves cut short left goes.
    removeLeftoverSideFiles(historyFilePath(dataDir));
    removeLeftoverSideFiles(settingsFilePath(dataDir));

    // The program ends through its own ways out only, each of which saves first.
    QApplication::setQuitOnLastWindowClosed(false);
    MainModel model(dataDir);
    Form1 window(model);
    bringBackOnLaterStarts(channel, window);
    QObject::connect(&window, &Form1::programEnded, &app, [] { QCoreApplication::exit(0); });
    EndOfRun endOfRun(window, model);
    window.load();
    return app.exec();
}

} // namespace amiscan
