#include "tools/vey-sim/session_store.h"

#include <QRandomGenerator>

namespace amiscan::sim {

SessionStore::SessionStore(int ttlSeconds) : m_ttlSeconds(ttlSeconds) {}

QByteArray SessionStore::open()
{
    // Unguessable enough for a local stand-in, and cookie-safe as hex.
    QByteArray raw(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(raw.data()),
                                          raw.size() / qsizetype(sizeof(quint32)));
    const QByteArray token = raw.toHex();
    m_sessions.insert(token, QDeadlineTimer(qint64(m_ttlSeconds) * 1000));
    return token;
}

bool SessionStore::isValid(const QByteArray &token)
{
    const auto found = m_sessions.find(token);
    if (found == m_sessions.end())
        return false;
    if (found->hasExpired()) {
        m_sessions.erase(found);
        return false;
    }
    return true;
}

QByteArray cookieValue(const QByteArray &cookieHeader, const QByteArray &name)
{
    for (const QByteArray &pair : cookieHeader.split(';')) {
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0 && pair.left(equals).trimmed() == name)
            return pair.mid(equals + 1).trimmed();
    }
    return {};
}

} // namespace amiscan::sim
