#include "browser/browser_relay.h"

#include "browser/webengine_browser.h"
#include "platform/browser_messages.h"
#include "platform/page_limits.h"

#include <QJsonArray>
#include <QNetworkCookieJar>
#include <QPointer>
#include <QSocketNotifier>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <cerrno>
#include <unistd.h>

namespace amiscan {

namespace msg = browser_messages;

// Takes the place of the direct read's cookie jar: what the browser would put into it goes to
// the program instead.
class BrowserRelay::CookieRelay final : public QNetworkCookieJar
{
public:
    explicit CookieRelay(BrowserRelay &relay) : m_relay(relay) {}

    bool insertCookie(const QNetworkCookie &cookie) override
    {
        m_relay.send({{msg::Op, msg::Cookie}, {msg::Cookie, msg::cookieToJson(cookie)}});
        return true;
    }
    bool deleteCookie(const QNetworkCookie &cookie) override
    {
        m_relay.send({{msg::Op, msg::CookieRemoved}, {msg::Cookie, msg::cookieToJson(cookie)}});
        return true;
    }

private:
    BrowserRelay &m_relay;
};

BrowserRelay::BrowserRelay(WebEngineBrowser &browser, int input, int output, QObject *parent)
    : QObject(parent), m_browser(browser), m_input(input), m_output(output),
      m_notifier(new QSocketNotifier(input, QSocketNotifier::Read, this)),
      m_cookies(std::make_unique<CookieRelay>(*this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &BrowserRelay::readInput);
    m_browser.shareCookiesWith(m_cookies.get());
}

BrowserRelay::~BrowserRelay()
{
    m_browser.shareCookiesWith(nullptr);
}

void BrowserRelay::readInput()
{
    char buffer[65536];
    const ssize_t count = ::read(m_input, buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count <= 0) {
        m_notifier->setEnabled(false);
        emit inputClosed();
        return;
    }
    m_received.append(buffer, count);
    qsizetype end;
    while ((end = m_received.indexOf('\n')) >= 0) {
        const QByteArray line = m_received.left(end);
        m_received.remove(0, end + 1);
        receive(msg::decode(line));
    }
}

void BrowserRelay::receive(const QJsonObject &message)
{
    const QString op = message.value(msg::Op).toString();
    const qint64 id = message.value(msg::Id).toInteger();
    // Answers may come after the relay has gone, as the browser is torn down at the end.
    const QPointer<BrowserRelay> guard(this);
    if (op == msg::Load) {
        m_browser.load(); // a page whose process has died gives way to a fresh one
    } else if (op == msg::Navigate) {
        const QUrl url(message.value(msg::Url).toString());
        // The login the program holds, so that a page which needs it finds it.
        QWebEngineCookieStore *store = m_browser.profile()->cookieStore();
        for (const QJsonValue &cookie : message.value(msg::Cookies).toArray())
            store->setCookie(msg::cookieFromJson(cookie.toObject()), url);
        m_browser.navigate(url);
    } else if (op == msg::Stop) {
        m_browser.stop();
    } else if (op == msg::Read) {
        m_browser.readPage([guard, id](bool hasDocument, const QString &html, const QUrl &address,
                                       const LoadTrouble &trouble) {
            // A page larger than any friends page is not sent: it counts as none.
            const bool sent = hasDocument && html.size() <= MaxPageBytes;
            if (guard)
                guard->send({{msg::Op, msg::Page},
                             {msg::Id, id},
                             {msg::HasDocument, sent},
                             {msg::Html, sent ? html : QString()},
                             {msg::Address, address.toString(QUrl::FullyEncoded)},
                             {msg::Status, trouble.httpStatus},
                             {msg::CertificateRefused, trouble.certificateRefused}});
        });
    } else if (op == msg::Login) {
        m_browser.submitLogin(
            message.value(msg::User).toString(), message.value(msg::Password).toString(),
            QUrl(message.value(msg::Address).toString()), [guard, id](Browser::LoginResult result) {
                if (guard)
                    guard->send({{msg::Op, msg::Login},
                                 {msg::Id, id},
                                 {msg::Result, msg::loginResultText(result)}});
            });
    }
}

void BrowserRelay::send(const QJsonObject &message)
{
    const QByteArray line = msg::encode(message);
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t count = ::write(m_output, line.constData() + written, line.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return; // the program has gone; its input closing ends the helper
        written += count;
    }
}

} // namespace amiscan
