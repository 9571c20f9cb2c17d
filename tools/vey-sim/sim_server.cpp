#include "tools/vey-sim/sim_server.h"

#include "tools/vey-sim/page_markup.h"

#include <QDateTime>
#include <QHostAddress>
#include <QThread>
#include <QUrlQuery>

namespace amiscan::sim {

namespace {

using StatusCode = QHttpServerResponder::StatusCode;

const QByteArray sessionCookie = QByteArrayLiteral("session");
const QByteArray htmlType = QByteArrayLiteral("text/html; charset=utf-8");
const QByteArray textType = QByteArrayLiteral("text/plain; charset=utf-8");

QByteArray headerValue(const QHttpServerRequest &request, const QByteArray &name)
{
    QByteArray joined;
    for (const auto &[key, value] : request.headers()) {
        if (key.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!joined.isEmpty())
            joined += "; ";
        joined += value;
    }
    return joined;
}

QString pathAndQuery(const QHttpServerRequest &request)
{
    const QUrl url = request.url();
    QString text = url.path(QUrl::FullyEncoded);
    if (url.hasQuery())
        text += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
    return text;
}

const char *methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    case QHttpServerRequest::Method::Options:
        return "OPTIONS";
    case QHttpServerRequest::Method::Patch:
        return "PATCH";
    default:
        return "OTHER";
    }
}

// A form body as a browser posts it: '+' stands for a blank, %XX for any byte.
QString formField(const QByteArray &body, const QString &name)
{
    QByteArray spaced = body;
    spaced.replace('+', ' ');
    return QUrlQuery(QString::fromUtf8(spaced)).queryItemValue(name, QUrl::FullyDecoded);
}

} // namespace

SimServer::SimServer(const SimOptions &options, QList<RosterFriend> roster, QList<QByteArray> pages,
                     QTextStream &log, QObject *parent)
    : QObject(parent), m_options(options), m_roster(std::move(roster)), m_pages(std::move(pages)),
      m_clock(options.epochSeconds.value_or(QDateTime::currentSecsSinceEpoch()), options.timeScale),
      m_sessions(options.sessionTtlSeconds), m_log(log)
{
    using Method = QHttpServerRequest::Method;
    m_server.route(QString::fromLatin1(friendsPagePath), Method::Get,
                   [this](const QHttpServerRequest &request) {
                       delayAnswer();
                       return redirecting() ? redirectAway(request) : answerFriendsPage(request);
                   });
    m_server.route(QString::fromLatin1(loginPath), Method::Get,
                   [this](const QHttpServerRequest &request) {
                       delayAnswer();
                       return redirecting() ? redirectAway(request) : answerLoginForm(request);
                   });
    m_server.route(QString::fromLatin1(loginPath), Method::Post,
                   [this](const QHttpServerRequest &request) {
                       delayAnswer();
                       return redirecting() ? redirectAway(request) : answerLogin(request);
                   });
    m_server.setMissingHandler(
        [this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
            delayAnswer();
            if (redirecting())
                redirectAway(request).write(std::move(responder));
            else
                answerNotFound(request, std::move(responder));
        });
    // Pages change from one request to the next: no cache may keep them.
    m_server.afterRequest([](QHttpServerResponse &&response) {
        response.setHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store"));
        return std::move(response);
    });
}

quint16 SimServer::listen(quint16 port)
{
    return m_server.listen(QHostAddress(QHostAddress::LocalHost), port);
}

QHttpServerResponse SimServer::answerFriendsPage(const QHttpServerRequest &request)
{
    const bool validSession = hasValidSession(request);
    // The router's path patterns are loose; the page has exactly one address.
    if (request.url().path() != QLatin1String(friendsPagePath)) {
        logRequest(request, validSession, "not-found");
        return QHttpServerResponse(textType, QByteArrayLiteral("Not found\n"),
                                   StatusCode::NotFound);
    }
    // Logged out, every session is as none.
    if (!validSession || serviceFault(Fault::LoggedOut, request) != Fault::None) {
        logRequest(request, validSession, "login");
        return loginPageResponse({});
    }
    logRequest(request, true, "friends");
    return htmlPage(nextFriendsPage(serviceFault(Fault::None, request)));
}

QHttpServerResponse SimServer::answerLoginForm(const QHttpServerRequest &request)
{
    logRequest(request, hasValidSession(request), "login");
    return loginPageResponse({});
}

QHttpServerResponse SimServer::answerLogin(const QHttpServerRequest &request)
{
    const bool validSession = hasValidSession(request);
    const QByteArray type = headerValue(request, QByteArrayLiteral("Content-Type"));
    if (!type.trimmed().toLower().startsWith("application/x-www-form-urlencoded")) {
        logRequest(request, validSession, "bad-request");
        return QHttpServerResponse(textType, QByteArrayLiteral("Bad request\n"),
                                   StatusCode::BadRequest);
    }
    const QByteArray body = request.body();
    if (formField(body, QStringLiteral("username")) != m_options.user ||
        formField(body, QStringLiteral("password")) != m_options.password ||
        serviceFault(Fault::LoggedOut, request) != Fault::None) {
        logRequest(request, validSession, "login");
        return loginPageResponse(QStringLiteral("Wrong user name or password."));
    }

    logRequest(request, validSession, "redirect");
    QHttpServerResponse response(StatusCode::SeeOther);
    response.addHeader(QByteArrayLiteral("Location"),
                       QByteArray(friendsPagePath) + '?' + QByteArray(friendsPageQuery));
    response.addHeader(QByteArrayLiteral("Set-Cookie"),
                       sessionCookie + '=' + m_sessions.open() + "; Path=/; HttpOnly");
    return response;
}

QHttpServerResponse SimServer::redirectAway(const QHttpServerRequest &request)
{
    logRequest(request, hasValidSession(request), "redirect");
    QHttpServerResponse response(StatusCode::Found);
    response.addHeader(QByteArrayLiteral("Location"), m_options.redirectTo.toUtf8());
    return response;
}

void SimServer::answerNotFound(const QHttpServerRequest &request, QHttpServerResponder &&responder)
{
    logRequest(request, hasValidSession(request), "not-found");
    responder.write(QByteArrayLiteral("Not found\n"), textType, StatusCode::NotFound);
}

QHttpServerResponse SimServer::htmlPage(const QByteArray &page) const
{
    return QHttpServerResponse(htmlType, page);
}

QHttpServerResponse SimServer::loginPageResponse(const QString &errorLine) const
{
    return htmlPage(loginPage({errorLine, !m_options.noButton, m_options.foreign}));
}

QByteArray SimServer::nextFriendsPage(Fault fault)
{
    if (!m_pages.isEmpty()) {
        const qsizetype index = std::min(m_pagesServed, m_pages.size() - 1);
        ++m_pagesServed;
        return m_pages.at(index);
    }
    const QList<RosterFriend> online =
        m_options.allOnline ? m_roster
                            : onlineFriends(m_roster, m_options.seed, m_clock.nowSeconds());
    return friendsPage(online, m_options.foreign,
                       fault == Fault::Deeper     ? FriendsLayout::Deeper
                       : fault == Fault::Unmarked ? FriendsLayout::Unmarked
                       : fault == Fault::CountOff ? FriendsLayout::CountOff
                                                  : FriendsLayout::Usual);
}

Fault SimServer::serviceFault(Fault only, const QHttpServerRequest &request)
{
    const Fault fault = m_options.faultOn() && isServiceFault(m_options.fault) &&
                                (only == Fault::None || only == m_options.fault)
                            ? m_options.fault
                            : Fault::None;
    if (fault != Fault::None)
        m_log << "fault " << faultName(fault) << ' ' << methodName(request.method()) << ' '
              << pathAndQuery(request) << Qt::endl;
    return fault;
}

bool SimServer::hasValidSession(const QHttpServerRequest &request)
{
    const QByteArray token =
        cookieValue(headerValue(request, QByteArrayLiteral("Cookie")), sessionCookie);
    return !token.isEmpty() && m_sessions.isValid(token);
}

void SimServer::logRequest(const QHttpServerRequest &request, bool validSession, const char *page)
{
    // Flushed at once: the process that started us reads the lines as they come.
    m_log << methodName(request.method()) << ' ' << pathAndQuery(request)
          << (validSession ? " session=yes" : " session=no") << " page=" << page << Qt::endl;
}

void SimServer::delayAnswer() const
{
    // A plain wait: answers come one after another, each late by the delay.
    if (m_options.delayMs > 0)
        QThread::msleep(ulong(m_options.delayMs));
}

} // namespace amiscan::sim
