#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>

namespace amiscan::sim {

// The logins in force: each session cookie value and when it ends, in real time.
class SessionStore final
{
public:
    explicit SessionStore(int ttlSeconds);

    // Starts a session and gives the cookie value that carries it.
    QByteArray open();

    // Whether the cookie value names a session that has not ended; ended ones are forgotten.
    bool isValid(const QByteArray &token);

private:
    int m_ttlSeconds;
    QHash<QByteArray, QDeadlineTimer> m_sessions;
};

// The value of the cookie `name` in a request's Cookie header ("a=1; b=2"), or nothing.
QByteArray cookieValue(const QByteArray &cookieHeader, const QByteArray &name);

} // namespace amiscan::sim
