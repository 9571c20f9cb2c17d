// vey-sim: a local stand-in for the Vey service, for tests and the demo.
#include "tools/vey-sim/fault_front.h"
#include "tools/vey-sim/quit_on_signal.h"
#include "tools/vey-sim/roster.h"
#include "tools/vey-sim/sim_options.h"
#include "tools/vey-sim/sim_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <memory>

using namespace amiscan::sim;

namespace {

constexpr int usageError = 2;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const SimOptionsResult parsed = parseSimOptions(QCoreApplication::arguments());
    if (!parsed.helpText.isEmpty()) {
        out << parsed.helpText << Qt::flush;
        return 0;
    }
    if (!parsed.options) {
        err << "vey-sim: " << parsed.error << "\nTry --help.\n" << Qt::flush;
        return usageError;
    }
    const SimOptions &options = *parsed.options;

    QList<RosterFriend> roster = builtInRoster();
    if (!options.rosterFile.isEmpty()) {
        QString error;
        const auto fromFile = readRosterFile(options.rosterFile, &error);
        if (!fromFile) {
            err << "vey-sim: " << error << '\n' << Qt::flush;
            return usageError;
        }
        roster = *fromFile;
    }
    QList<QByteArray> pages;
    for (const QString &path : options.pageFiles) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            err << "vey-sim: cannot read page " << path << ": " << file.errorString() << '\n'
                << Qt::flush;
            return usageError;
        }
        pages.append(file.readAll());
    }

    std::optional<QSslConfiguration> tls;
    if (!options.tlsCertFile.isEmpty()) {
        QString error;
        tls = serverTls(options.tlsCertFile, options.tlsKeyFile, &error);
        if (!tls) {
            err << "vey-sim: " << error << '\n' << Qt::flush;
            return usageError;
        }
    }

    quitOnTerminationSignals();
    SimServer server(options, roster, pages, out);
    // With a front, the service itself listens on a port of its own that only the front uses.
    quint16 port = server.listen(options.hasFront() ? 0 : options.port);
    std::unique_ptr<FaultFront> front;
    if (port != 0 && options.hasFront()) {
        front = std::make_unique<FaultFront>(options, tls, port, out);
        port = front->listen(options.port);
    }
    if (port == 0) {
        err << "vey-sim: cannot listen on 127.0.0.1:" << options.port << '\n' << Qt::flush;
        return 1;
    }
    const char *scheme = tls ? "https" : "http";
    out << "listening on " << scheme << "://127.0.0.1:" << port << Qt::endl;
    return app.exec();
}
