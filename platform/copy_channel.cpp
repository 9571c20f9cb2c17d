#include "platform/copy_channel.h"

#include "platform/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <utility>

namespace amiscan {

namespace {

const QByteArray ShowRequest = QByteArrayLiteral("show");
// A line longer than any request: the connection is dropped.
constexpr qint64 MaxRequestBytes = 256;
// A connection that has said nothing useful by then is dropped, so none stays open for long.
constexpr int ConnectionLifeMs = 5000;
// How long a later start waits for the running copy.
constexpr int AnswerMs = 2000;
const QString NoRuntimeDir = QStringLiteral("the user has no runtime directory");

} // namespace

CopyChannel::CopyChannel(const QString &dataDir, QObject *parent)
    : QObject(parent), m_name(nameFor(dataDir))
{
}

CopyChannel::~CopyChannel() = default;

QString CopyChannel::nameFor(const QString &dataDir)
{
    return SingleInstance::runtimePathFor(dataDir, QStringLiteral(".socket"));
}

bool CopyChannel::listen()
{
    if (isListening())
        return true;
    if (m_name.isEmpty()) {
        m_error = NoRuntimeDir;
        return false;
    }
    // The lock is ours: no live copy listens under the name.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            answer(socket);
    });
    if (m_server->listen(m_name))
        return true;
    m_error = m_server->errorString();
    delete std::exchange(m_server, nullptr);
    return false;
}

bool CopyChannel::isListening() const
{
    return m_server && m_server->isListening();
}

QString CopyChannel::errorString() const
{
    return m_error;
}

void CopyChannel::answer(QLocalSocket *socket)
{
    socket->setReadBufferSize(MaxRequestBytes);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequests(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(ConnectionLifeMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    readRequests(socket);
}

void CopyChannel::readRequests(QLocalSocket *socket)
{
    while (socket->canReadLine()) {
        if (socket->readLine().trimmed() == ShowRequest)
            emit showRequested();
    }
    // A full buffer without a line's end holds no request.
    if (socket->bytesAvailable() >= MaxRequestBytes)
        socket->abort();
}

bool CopyChannel::askToShow()
{
    if (m_name.isEmpty()) {
        m_error = NoRuntimeDir;
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (socket.waitForConnected(AnswerMs)) {
        socket.write(ShowRequest + '\n');
        // Leaving writes what is still waiting first.
        socket.disconnectFromServer();
        if (socket.state() == QLocalSocket::UnconnectedState ||
            socket.waitForDisconnected(AnswerMs))
            return true;
    }
    m_error = socket.errorString();
    return false;
}

} // namespace amiscan
