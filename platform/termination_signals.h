#pragma once

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

namespace amiscan {

// The signals a system sends a program it stops (SIGTERM, SIGINT, SIGHUP), delivered as a Qt
// signal in the event loop. The handler itself only writes the signal's number to a socket:
// saving and ending run outside it, where anything may be called. One object at a time; the
// former handling of the three signals comes back when it is destroyed.
class TerminationSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the socket or the handlers could not be set up: the signals then keep their
    // former handling.
    bool isActive() const { return m_notifier != nullptr; }

signals:
    void received(int signalNumber);

private:
    void readPending();

    std::array<int, 2> m_sockets{-1, -1};
    std::array<struct sigaction, 3> m_former{};
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace amiscan
