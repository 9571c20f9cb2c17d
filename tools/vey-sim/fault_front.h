#pragma once

#include "tools/vey-sim/sim_options.h"

#include <QByteArray>
#include <QObject>
#include <QSslConfiguration>
#include <QTextStream>

#include <optional>

class QTcpServer;
class QTcpSocket;

namespace amiscan::sim {

// A server's TLS set-up with the certificate and private RSA key of the given PEM files, or
// nothing (and the error) when they cannot be read.
std::optional<QSslConfiguration> serverTls(const QString &certFile, const QString &keyFile,
                                           QString *error);

// What a client sees of the service when its network or the service fails: the front takes the
// clients' connections, over HTTPS when given a certificate, and passes every request through
// to the simulated service, except that requests for the friends page meet the configured
// fault (unless the client is spared, or, when asked, the request carries no session cookie).
// Each fault met is logged as a line "fault <name> <method> <path>".
class FaultFront final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FaultFront)

public:
    // Serves HTTPS when given a TLS set-up.
    FaultFront(const SimOptions &options, std::optional<QSslConfiguration> tls, quint16 servicePort,
               QTextStream &log, QObject *parent = nullptr);
    ~FaultFront() override;

    // Listens on the loopback address only; gives the port, or 0 when it cannot listen.
    quint16 listen(quint16 port);

    // The fault a request for the friends page meets, given the request's head.
    Fault faultFor(const QByteArray &head) const;
    quint16 servicePort() const { return m_servicePort; }
    const SimOptions &options() const { return m_options; }
    void logLine(const QByteArray &line);

private:
    void acceptConnections();

    SimOptions m_options;
    std::optional<QSslConfiguration> m_tls;
    quint16 m_servicePort;
    QTextStream &m_log;
    QTcpServer *m_server = nullptr;
};

} // namespace amiscan::sim
