#include "platform/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace amiscan {

namespace {

constexpr std::array<int, 3> Handled{SIGTERM, SIGINT, SIGHUP};

// The writing end, read by the handler: a plain int that is set before the handlers are
// installed and cleared after they are removed.
volatile sig_atomic_t writeSocket = -1;

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char number = char(signalNumber);
    // Non-blocking: should the socket ever be full, the signals already waiting there suffice.
    [[maybe_unused]] const ssize_t written = ::write(writeSocket, &number, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (writeSocket != -1)
        return; // another object already handles them
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_sockets.data()) != 0)
        return;
    writeSocket = m_sockets[0];

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < Handled.size(); ++i)
        sigaction(Handled[i], &action, &m_former[i]);

    m_notifier = new QSocketNotifier(m_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier) {
        for (int socket : m_sockets)
            if (socket != -1)
                ::close(socket);
        return;
    }
    for (size_t i = 0; i < Handled.size(); ++i)
        sigaction(Handled[i], &m_former[i], nullptr);
    writeSocket = -1;
    delete m_notifier;
    for (int socket : m_sockets)
        ::close(socket);
}

void TerminationSignals::readPending()
{
    char numbers[16];
    ssize_t count;
    while ((count = ::read(m_sockets[1], numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            emit received(numbers[i]);
    }
}

} // namespace amiscan
