#include "tools/vey-sim/fault_front.h"

#include "tools/vey-sim/page_markup.h"

#include <QFile>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace amiscan::sim {

namespace {

constexpr QByteArrayView HeadEnd = "\r\n\r\n";
// A trickled body comes in pieces of this many bytes.
constexpr qsizetype TricklePiece = 64;
// The frame that the frame fault adds to the page: its requests are read and never answered.
constexpr QByteArrayView NeverAnsweredFrame = "/frame-never-answered";

// The value of a header in a request or answer head, empty when absent.
QByteArray headerValue(const QByteArray &head, QByteArrayView name)
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

// The length of the message (head and body) at the start of the bytes, or -1 while its head is
// not complete.
qsizetype messageLength(const QByteArray &bytes)
{
    const qsizetype headEnd = bytes.indexOf(HeadEnd);
    if (headEnd < 0)
        return -1;
    const QByteArray head = bytes.left(headEnd);
    return headEnd + HeadEnd.size() + headerValue(head, "Content-Length").toLongLong();
}

// The page's answer with a frame added at the end of its body, its length set anew.
QByteArray withNeverAnsweredFrame(const QByteArray &head, QByteArray body)
{
    const QByteArray frame = "<iframe src=\"" + NeverAnsweredFrame.toByteArray() + "\"></iframe>";
    const qsizetype bodyEnd = body.toLower().lastIndexOf("</body>");
    body.insert(bodyEnd < 0 ? body.size() : bodyEnd, frame);
    QByteArray newHead;
    for (const QByteArray &line : head.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        newHead += line.trimmed().toLower().startsWith("content-length:")
                       ? "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
                       : line + '\n';
    }
    return newHead + "\r\n" + body;
}

QByteArray errorPage(int status)
{
    const bool unavailable = status == 503;
    const QByteArray title = unavailable ? "503 Service Unavailable" : "500 Internal Server Error";
    const QByteArray text = unavailable
                                ? "Vey is down for maintenance. Please come back in a few minutes."
                                : "Something went wrong on the Vey servers. Please try again.";
    const QByteArray body =
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Vey - " + title +
        "</title>\n</head>\n<body>\n<h1>" + title + "</h1>\n<p>" + text +
        "</p>\n<p class=\"footer\">www.vey.example</p>\n</body>\n</html>\n";
    QByteArray answer = "HTTP/1.1 " + title + "\r\nContent-Type: text/html; charset=utf-8\r\n" +
                        "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    if (unavailable)
        answer += "Retry-After: 120\r\n";
    return answer + "Connection: close\r\n\r\n" + body;
}

// One client's connection: its requests are read one at a time and each is passed through to
// the service or met with the fault.
class FrontConnection final : public QObject
{
public:
    FrontConnection(FaultFront &front, QTcpSocket *client)
        : QObject(&front), m_front(front), m_client(client)
    {
        m_client->setParent(this);
        connect(m_client, &QTcpSocket::readyRead, this, &FrontConnection::readClient);
        connect(m_client, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        m_trickle.setInterval(front.options().trickleMs);
        connect(&m_trickle, &QTimer::timeout, this, &FrontConnection::tricklePiece);
        readClient();
    }

private:
    void readClient()
    {
        m_fromClient += m_client->readAll();
        // A fault that ended the exchange takes no further requests; an answer being shaped
        // finishes before the next request.
        while (!m_stopped && m_shaping == Fault::None) {
            const qsizetype length = messageLength(m_fromClient);
            if (length < 0 || m_fromClient.size() < length)
                return;
            const QByteArray request = m_fromClient.left(length);
            m_fromClient.remove(0, length);
            dispatch(request);
        }
    }

    void dispatch(const QByteArray &request)
    {
        const QList<QByteArray> words = request.left(request.indexOf('\r')).split(' ');
        const QByteArray method = words.value(0);
        const QByteArray target = words.value(1);
        if (target == NeverAnsweredFrame) {
            m_stopped = true; // accepted, read, and never answered
            return;
        }
        const bool friendsPage = target.split('?').value(0) == friendsPagePath;
        const QByteArray head = request.left(request.indexOf(HeadEnd));
        const Fault fault = friendsPage ? m_front.faultFor(head) : Fault::None;
        if (fault != Fault::None)
            m_front.logLine("fault " + faultName(fault) + ' ' + method + ' ' + target);

        switch (fault) {
        case Fault::None:
        case Fault::Deeper: // the service's own, never met here
        case Fault::Unmarked:
        case Fault::CountOff:
        case Fault::LoggedOut:
            passOn(request);
            break;
        case Fault::Cut:
        case Fault::Trickle:
        case Fault::Frame:
            m_shaping = fault;
            passOn(request);
            break;
        case Fault::Hang:
            m_stopped = true; // accepted, read, and never answered
            break;
        case Fault::Reset: {
            m_stopped = true;
            // Closing with a zero linger time sends a reset instead of the orderly close.
            const linger reset{1, 0};
            ::setsockopt(int(m_client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                         sizeof reset);
            m_client->abort();
            break;
        }
        case Fault::Error500:
        case Fault::Error503:
            endWith(errorPage(fault == Fault::Error503 ? 503 : 500));
            break;
        case Fault::Garbage: {
            QByteArray noise(2048, Qt::Uninitialized);
            QRandomGenerator random(quint32(m_front.options().seed));
            random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
            noise[0] = '\x7f'; // never the start of an answer
            endWith(noise);
            break;
        }
        }
    }

    // Writes the bytes and closes the connection in the orderly way once they are sent.
    void endWith(const QByteArray &bytes)
    {
        m_stopped = true;
        m_client->write(bytes);
        m_client->disconnectFromHost();
    }

    void passOn(const QByteArray &request)
    {
        if (!m_service) {
            m_service = new QTcpSocket(this);
            connect(m_service, &QTcpSocket::readyRead, this, &FrontConnection::readService);
            connect(m_service, &QTcpSocket::disconnected, m_client,
                    &QTcpSocket::disconnectFromHost);
            m_service->connectToHost(QHostAddress(QHostAddress::LocalHost), m_front.servicePort());
        }
        m_service->write(request);
    }

    void readService()
    {
        if (m_shaping == Fault::None) {
            m_client->write(m_service->readAll());
            return;
        }
        m_answer += m_service->readAll();
        const qsizetype length = messageLength(m_answer);
        if (length < 0 || m_answer.size() < length)
            return;
        const qsizetype bodyStart = m_answer.indexOf(HeadEnd) + HeadEnd.size();
        const QByteArray head = m_answer.left(bodyStart);
        const QByteArray body = m_answer.mid(bodyStart, length - bodyStart);
        m_answer.clear();
        if (m_shaping == Fault::Cut) {
            // The head promises the whole body; half of it comes, then the connection closes.
            endWith(head + body.left(body.size() / 2));
            return;
        }
        if (m_shaping == Fault::Frame) {
            m_client->write(withNeverAnsweredFrame(head, body));
            m_shaping = Fault::None;
            readClient();
            return;
        }
        m_client->write(head);
        m_trickleRest = body;
        m_trickle.start();
    }

    void tricklePiece()
    {
        m_client->write(m_trickleRest.left(TricklePiece));
        m_trickleRest.remove(0, TricklePiece);
        if (!m_trickleRest.isEmpty())
            return;
        m_trickle.stop();
        m_shaping = Fault::None;
        readClient();
    }

    FaultFront &m_front;
    QTcpSocket *m_client;
    QTcpSocket *m_service = nullptr;
    QByteArray m_fromClient;
    bool m_stopped = false;
    Fault m_shaping = Fault::None;
    QByteArray m_answer;
    QByteArray m_trickleRest;
    QTimer m_trickle;
};

} // namespace

std::optional<QSslConfiguration> serverTls(const QString &certFile, const QString &keyFile,
                                           QString *error)
{
    QFile cert(certFile);
    QFile key(keyFile);
    if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the certificate or its key");
        return std::nullopt;
    }
    const QSslCertificate certificate(&cert, QSsl::Pem);
    const QSslKey privateKey(&key, QSsl::Rsa, QSsl::Pem);
    if (certificate.isNull() || privateKey.isNull()) {
        *error = QStringLiteral("the certificate or its key is not a PEM file of an RSA key");
        return std::nullopt;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(privateKey);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

FaultFront::FaultFront(const SimOptions &options, std::optional<QSslConfiguration> tls,
                       quint16 servicePort, QTextStream &log, QObject *parent)
    : QObject(parent), m_options(options), m_tls(std::move(tls)), m_servicePort(servicePort),
      m_log(log)
{
}

FaultFront::~FaultFront() = default;

quint16 FaultFront::listen(quint16 port)
{
    if (!m_tls) {
        m_server = new QTcpServer(this);
    } else {
        auto *server = new QSslServer(this);
        server->setSslConfiguration(*m_tls);
        // A client that refuses the certificate ends the handshake: nothing of its requests
        // is ever read.
        connect(server, &QSslServer::errorOccurred, this,
                [this](QSslSocket *socket, QAbstractSocket::SocketError) {
                    if (!socket->isEncrypted())
                        logLine("tls failed " + socket->errorString().toUtf8());
                });
        m_server = server;
    }
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this,
            &FaultFront::acceptConnections);
    if (!m_server->listen(QHostAddress(QHostAddress::LocalHost), port))
        return 0;
    return m_server->serverPort();
}

void FaultFront::acceptConnections()
{
    while (QTcpSocket *client = m_server->nextPendingConnection())
        new FrontConnection(*this, client);
}

Fault FaultFront::faultFor(const QByteArray &head) const
{
    const QString userAgent = QString::fromUtf8(headerValue(head, "User-Agent"));
    if (!m_options.spareAgent.isEmpty() && userAgent.contains(m_options.spareAgent))
        return Fault::None;
    if (m_options.faultAfterLogin && !headerValue(head, "Cookie").contains("session="))
        return Fault::None;
    return m_options.faultOn() && !isServiceFault(m_options.fault) ? m_options.fault : Fault::None;
}

void FaultFront::logLine(const QByteArray &line)
{
    m_log << line << Qt::endl;
}

} // namespace amiscan::sim
