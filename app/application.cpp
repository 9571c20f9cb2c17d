#include "app/application.h"

#include "app/data_location.h"
#include "app/end_of_run.h"
#include "app/single_copy.h"
#include "desktop/copy_bus.h"
#include "desktop/desktop_log.h"
#include "model/main_model.h"
#include "platform/keychain_secret_store.h"
#include "platform/logging.h"
#include "store/data_dir.h"
#include "store/file_patcher.h"
#include "store/memory_release.h"
#include "store/safe_file.h"
#include "ui/form1.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>

namespace amiscan {

namespace {

// After the window's first events and the model's own start-up work.
constexpr int StartUpMs = 1000;

} // namespace

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
    CopyBus bus(SingleInstance::dataDirKey(dataDir));
    // --preferences and --history open their window in the running copy.
    const auto forward = [&] {
        if (commandLine.window == CommandLine::Window::Main)
            return false;
        if (bus.ask(commandLine.window == CommandLine::Window::Preferences
                        ? CopyBus::Window::Preferences
                        : CopyBus::Window::History))
            return true;
        qCInfo(desktopLog, "The running copy could not be asked for the window: %s",
               qPrintable(bus.errorString()));
        return false;
    };
    if (!claimSingleCopy(instance, channel, warn, forward))
        return 0;
    // No other copy saves here now: a change of the history cut short is completed or undone
    // before anything reads it, and what saves cut short left goes.
    finishInterruptedChange(historyFilePath(dataDir));
    removeLeftoverSideFiles(historyFilePath(dataDir));
    removeLeftoverSideFiles(settingsFilePath(dataDir));

    // The program ends through its own ways out only, each of which saves first.
    QApplication::setQuitOnLastWindowClosed(false);
    MainModel model(dataDir);
    model.readHistoryAhead();
    model.setSecretStore(std::make_unique<KeychainSecretStore>());
    Form1 window(model);
    bringBackOnLaterStarts(channel, window);
    openWindowsOnBusRequests(bus, window, model);
    if (!bus.publish())
        qCInfo(desktopLog, "Later starts cannot open windows over the session bus: %s",
               qPrintable(bus.errorString()));
    QObject::connect(&window, &Form1::programEnded, &app, [] { QCoreApplication::exit(0); });
    EndOfRun endOfRun(window, model);
    window.load(commandLine.minimized);
    QTimer::singleShot(StartUpMs, [] {
        releaseLargeBlocksWhenFreed();
        releaseFreedMemory();
    });
    if (commandLine.window == CommandLine::Window::Preferences)
        window.showPreferences();
    else if (commandLine.window == CommandLine::Window::History)
        model.requestHistory();
    return app.exec();
}

} // namespace amiscan
