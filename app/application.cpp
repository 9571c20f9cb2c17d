#include "app/application.h"

#include "app/single_copy.h"
#include "ui/form1.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>

namespace amiscan {

int runApplication(int argc, char **argv)
{
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

    Form1 window(dataDir);
    window.load();
    return app.exec();
}

} // namespace amiscan
