#pragma once

#include "tools/vey-sim/roster.h"
#include "tools/vey-sim/session_store.h"
#include "tools/vey-sim/sim_clock.h"
#include "tools/vey-sim/sim_options.h"

#include <QHttpServer>
#include <QObject>
#include <QTextStream>

namespace amiscan::sim {

// The simulated service on 127.0.0.1: the login form, the login itself and the account
// friends page. Writes one line per request to `log`.
class SimServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SimServer)

public:
    SimServer(const SimOptions &options, QList<RosterFriend> roster, QList<QByteArray> pages,
              QTextStream &log, QObject *parent = nullptr);

    // Listens on the loopback address only; gives the port, or 0 when it cannot listen.
    quint16 listen(quint16 port);

private:
    QHttpServerResponse answerFriendsPage(const QHttpServerRequest &request);
    QHttpServerResponse answerLoginForm(const QHttpServerRequest &request);
    QHttpServerResponse answerLogin(const QHttpServerRequest &request);
    void answerNotFound(const QHttpServerRequest &request, QHttpServerResponder &&responder);
    bool redirecting() const { return !m_options.redirectTo.isEmpty(); }
    QHttpServerResponse redirectAway(const QHttpServerRequest &request);

    QHttpServerResponse htmlPage(const QByteArray &page) const;
    QHttpServerResponse loginPageResponse(const QString &errorLine) const;
    // The friends page, laid out as the fault met asks.
    QByteArray nextFriendsPage(Fault fault);
    // The fault of the service itself that the request meets, if any (of the one given, unless
    // None): logged as met.
    Fault serviceFault(Fault only, const QHttpServerRequest &request);
    bool hasValidSession(const QHttpServerRequest &request);
    void logRequest(const QHttpServerRequest &request, bool validSession, const char *page);
    void delayAnswer() const;

    SimOptions m_options;
    QList<RosterFriend> m_roster;
    QList<QByteArray> m_pages;
    qsizetype m_pagesServed = 0;
    SimClock m_clock;
    SessionStore m_sessions;
    QTextStream &m_log;
    QHttpServer m_server;
};

} // namespace amiscan::sim
