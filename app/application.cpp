#include "app/application.h"

#include "app/end_of_run.h"
#include "app/single_copy.h"
#include "ui/form1.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>

namespace amiscan {

int runApplication(int argc, char **argv)
{
    // The embedded browser needs contexts shared before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Amiscan"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    const QString dataDir = QCoreApplication::applicationDirPath();
    SingleInstance instance(dataDir);
    const auto warn = [](const QString &title, const QString &text) {
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok);
        box.exec();
    };
    if (!claimSingleCopy(instance, warn))
        return 0;

    // The program ends through its own ways out only, each of which saves first.
    QApplication::setQuitOnLastWindowClosed(false);
    Form1 window(dataDir);
    QObject::connect(&window, &Form1::programEnded, &app, [] { QCoreApplication::exit(0); });
    EndOfRun endOfRun(window);
    window.load();
    return app.exec();
}

} // namespace amiscan
