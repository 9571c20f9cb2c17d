#include "browser/webengine_browser.h"

#include "browser/page_serializer_js.h"
#include "platform/address_policy.h"
#include "platform/logging.h"
#include "platform/page_limits.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkCookieJar>
#include <QWebEngineCertificateError>
#include <QWebEngineCookieStore>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

namespace amiscan {

namespace {

using AddressCheck = std::function<bool(const QUrl &)>;

const QString DocumentStampName = QStringLiteral("amiscan-document-stamp");
const QLatin1StringView TooLarge("too-large");
// How often the size of a loading document is looked at.
constexpr int SizeWatchMs = 250;

// The browser shows nothing of its own: no message boxes, no new windows. It goes nowhere but
// where the address check lets it, redirects included.
class SilentPage final : public QWebEnginePage
{
public:
    SilentPage(AddressCheck mayLoad, QWebEngineProfile *profile, QObject *parent)
        : QWebEnginePage(profile, parent), m_mayLoad(std::move(mayLoad))
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override
    {
        return m_mayLoad(url);
    }
    void javaScriptAlert(const QUrl &, const QString &) override {}
    bool javaScriptConfirm(const QUrl &, const QString &) override { return false; }
    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) override
    {
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                  const QString &) override
    {
    }
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

private:
    AddressCheck m_mayLoad;
};

// Every request of a page and its parts, whatever the page asks for, goes only where the
// address check lets it.
class AddressGuard final : public QWebEngineUrlRequestInterceptor
{
public:
    AddressGuard(AddressCheck mayLoad, QObject *parent)
        : QWebEngineUrlRequestInterceptor(parent), m_mayLoad(std::move(mayLoad))
    {
    }

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (!m_mayLoad(info.requestUrl()))
            info.block(true);
    }

private:
    AddressCheck m_mayLoad;
};

} // namespace

WebEngineBrowser::WebEngineBrowser(QObject *parent)
    : Browser(parent),
      m_profile(new QWebEngineProfile(this)) // no storage name: kept in memory only
{
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setUrlRequestInterceptor(
        new AddressGuard([this](const QUrl &url) { return mayLoad(url); }, m_profile));
    m_sizeWatch.setInterval(SizeWatchMs);
    connect(&m_sizeWatch, &QTimer::timeout, this, &WebEngineBrowser::watchSize);
    QWebEngineSettings *settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);

    QWebEngineCookieStore *store = m_profile->cookieStore();
    connect(store, &QWebEngineCookieStore::cookieAdded, this, [this](const QNetworkCookie &c) {
        if (m_sharedJar)
            m_sharedJar->insertCookie(c);
    });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, [this](const QNetworkCookie &c) {
        if (m_sharedJar)
            m_sharedJar->deleteCookie(c);
    });
}

WebEngineBrowser::~WebEngineBrowser()
{
    unload();
}

void WebEngineBrowser::shareCookiesWith(QNetworkCookieJar *jar)
{
    m_sharedJar = jar;
}

void WebEngineBrowser::load()
{
    // A page whose process has died cannot be used again: a fresh one takes its place.
    if (m_page && m_rendererGone)
        unload();
    if (m_page)
        return;
    m_page = new SilentPage([this](const QUrl &url) { return mayLoad(url); }, m_profile, this);
    m_navigating = false;
    m_rendererGone = false;
    m_pageFailed = false;
    m_pageTooLarge = false;
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        ++m_loadsStarted;
        beginNavigation();
    });
    // Only once the page and all its frames and parts have loaded; a page is read before that
    // as soon as its own text has been parsed.
    connect(m_page, &QWebEnginePage::loadFinished, this, [this] {
        m_navigating = false;
        m_sizeWatch.stop();
    });
    // What a failed load leaves (the part of a page that arrived before the connection broke,
    // or the server's page for its own failure) is no page to read: a friends page cut off in
    // the middle would lose the friends it no longer lists, and an error page has no form to
    // log in with. Pages of other statuses are read: a login form may come with any of them.
    connect(
        m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
            if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
                m_pageFailed = m_pageTooLarge = false;
                m_trouble = {};
                return;
            }
            if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus)
                m_pageFailed = true;
            else
                m_pageFailed = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
                               info.errorCode() >= 500;
            // The scan tells its user what it can: the service's error, a refused certificate.
            if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
                info.errorCode() >= 400)
                m_trouble.httpStatus = info.errorCode();
            if (info.errorDomain() == QWebEngineLoadingInfo::CertificateErrorDomain)
                m_trouble.certificateRefused = true;
        });
    // Refused, as every certificate error is by default.
    connect(m_page, &QWebEnginePage::certificateError, this,
            [this] { m_trouble.certificateRefused = true; });
    // Why a page did not come, for the user who asks: the network, the certificate, the server.
    connect(m_page, &QWebEnginePage::loadingChanged, this, [](const QWebEngineLoadingInfo &info) {
        if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus || info.errorCode() >= 400)
            qCInfo(browserLog, "The page %s did not load: %s (%d)",
                   qPrintable(info.url().toDisplayString()), qPrintable(info.errorString()),
                   info.errorCode());
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                if (status == QWebEnginePage::NormalTerminationStatus)
                    return;
                qCInfo(browserLog, "The page's process ended (%d)", int(status));
                // Scripts sent to the dead process never answer: the page has no document now.
                m_rendererGone = true;
                answerPending();
            });
}

void WebEngineBrowser::unload()
{
    if (!m_page)
        return;
    // Deleting the page ends its renderer; callers still waiting learn there is no page.
    m_sizeWatch.stop();
    delete m_page;
    m_page = nullptr;
    m_rendererGone = false;
    answerPending();
}

void WebEngineBrowser::navigate(const QUrl &url)
{
    if (!m_page)
        return;
    if (isAllowedServiceAddress(url))
        m_service = url; // the site that the page and its parts may load from
    else if (url.scheme() != QLatin1StringView("about"))
        return;
    beginNavigation();
    m_page->load(url);
}

bool WebEngineBrowser::mayLoad(const QUrl &url) const
{
    // What the page holds itself, and the empty page; anything else from the service's site.
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1StringView("about") || scheme == QLatin1StringView("data") ||
        scheme == QLatin1StringView("blob"))
        return true;
    return isServiceRequest(url, m_service);
}

void WebEngineBrowser::beginNavigation()
{
    // The page shown now stays until the new one replaces it: from here on, only a document
    // stamped with this navigation's number is the answer.
    m_navigating = true;
    ++m_navigation;
    QWebEngineScriptCollection &scripts = m_page->scripts();
    for (const QWebEngineScript &old : scripts.find(DocumentStampName))
        scripts.remove(old);
    QWebEngineScript stamp;
    stamp.setName(DocumentStampName);
    stamp.setSourceCode(DocumentStampScript.arg(m_navigation));
    stamp.setInjectionPoint(QWebEngineScript::DocumentCreation);
    stamp.setWorldId(QWebEngineScript::ApplicationWorld);
    stamp.setRunsOnSubFrames(false);
    scripts.insert(stamp);
    m_sizeWatch.start();
}

void WebEngineBrowser::watchSize()
{
    if (!m_page || !m_navigating || m_rendererGone) {
        m_sizeWatch.stop();
        return;
    }
    if (m_sizeAsked)
        return;
    m_sizeAsked = true;
    runScript(DocumentLengthScript, [this](const QVariant &length) {
        m_sizeAsked = false;
        if (length.toLongLong() > MaxPageBytes)
            refuseTooLarge();
    });
}

void WebEngineBrowser::refuseTooLarge()
{
    // Larger than any friends page: the page is stopped and counts as failed.
    m_pageTooLarge = true;
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
}

void WebEngineBrowser::stop()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
}

void WebEngineBrowser::readPage(PageCallback callback)
{
    if (!m_page || m_rendererGone || m_pageFailed || m_pageTooLarge) {
        callback(false, QString(), QUrl(), m_page ? m_trouble : LoadTrouble{});
        return;
    }
    const QString serializer = PageSerializerScript.arg(MaxPageBytes);
    // While a load goes on, the page shown may be the one being left, and the new one may still
    // be arriving: only the new one counts, once its own text has all come and been parsed.
    const QString script = m_navigating
                               ? ParsedDocumentScript.arg(QString::number(m_navigation), serializer)
                               : serializer;
    runScript(script, [this, callback](const QVariant &result) {
        if (result.toString() == TooLarge)
            refuseTooLarge();
        const QVariantList page = result.toList();
        // A load that failed meanwhile leaves no page to read.
        if (page.size() != 2 || m_pageFailed || m_pageTooLarge) {
            callback(false, QString(), QUrl(), m_trouble);
            return;
        }
        callback(true, page.at(1).toString(), QUrl(page.at(0).toString()), m_trouble);
    });
}

void WebEngineBrowser::submitLogin(const QString &userName, const QString &password,
                                   const QUrl &pageAddress, SubmitCallback callback)
{
    // A page whose load has failed since it was read (an error status shows only once the page
    // has loaded) is no longer the one read.
    if (!m_page || m_rendererGone || m_pageFailed || m_pageTooLarge) {
        callback(LoginResult::OtherPage);
        return;
    }
    // The texts travel as JSON, so nothing typed can break out of the script.
    const QByteArray arguments =
        QJsonDocument(QJsonArray{userName, password, pageAddress.toString(QUrl::FullyEncoded)})
            .toJson(QJsonDocument::Compact);
    const QString script = LoginScript.arg(QString::fromUtf8(arguments));
    const quint64 loadsBefore = m_loadsStarted;
    runScript(script, [this, callback, loadsBefore](const QVariant &result) {
        const QString answer = result.toString();
        if (answer == QLatin1StringView("submitted")) {
            // A submitted form loads its answer; until then the form is no answer. (When the
            // load has already started, its own signals keep the flag.)
            if (m_loadsStarted == loadsBefore && m_page)
                beginNavigation();
            callback(LoginResult::Submitted);
        } else {
            // No answer at all means the page went away before the script could run.
            callback(answer == QLatin1StringView("no-form") ? LoginResult::NoForm
                                                            : LoginResult::OtherPage);
        }
    });
}

void WebEngineBrowser::runScript(const QString &script, std::function<void(const QVariant &)> done)
{
    const quint64 id = m_nextScript++;
    m_pending.emplace(id, std::move(done));
    // The program's scripts run apart from the page's own: a page cannot change what they see.
    m_page->runJavaScript(
        script, QWebEngineScript::ApplicationWorld,
        [this, guard = QPointer<WebEngineBrowser>(this), id](const QVariant &result) {
            if (!guard)
                return;
            if (auto answer = m_pending.take(id))
                answer(result);
        });
}

void WebEngineBrowser::answerPending()
{
    const auto pending = std::exchange(m_pending, {});
    for (const auto &answer : pending)
        answer(QVariant());
}

} // namespace amiscan
