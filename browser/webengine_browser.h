#pragma once

#include "platform/browser.h"

#include <QHash>
#include <QPointer>
#include <QTimer>

class QNetworkCookieJar;
class QWebEnginePage;
class QWebEngineProfile;

namespace amiscan {

// The embedded browser over Qt WebEngine, inside the browser helper. It keeps one in-memory
// profile for as long as it lives (the login cookies; nothing is written to disk) and creates a
// page, without any view, only between load() and unload(), so no renderer process stays alive
// without a page. The page and its parts load only from the site of the service it was sent to
// (see isServiceRequest), and a page larger than MaxPageBytes is stopped and never read. The
// cookies of the profile are mirrored into a cookie jar: the helper's relay hands them on to the
// direct read.
class WebEngineBrowser final : public Browser
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WebEngineBrowser)

public:
    explicit WebEngineBrowser(QObject *parent = nullptr);
    ~WebEngineBrowser() override;

    void load() override;
    void unload() override;
    bool isLoaded() const override { return m_page != nullptr; }
    void navigate(const QUrl &url) override;
    void stop() override;
    void readPage(PageCallback callback) override;
    void submitLogin(const QString &userName, const QString &password, const QUrl &pageAddress,
                     SubmitCallback callback) override;

    // Receives every cookie the browser holds; hand it to the direct read's network manager.
    // The jar stays owned by whoever holds it (QNetworkAccessManager takes ownership).
    void shareCookiesWith(QNetworkCookieJar *jar);

    QWebEngineProfile *profile() const { return m_profile; }

private:
    bool mayLoad(const QUrl &url) const;
    void beginNavigation();
    void watchSize();
    void refuseTooLarge();
    void runScript(const QString &script, std::function<void(const QVariant &)> done);
    void answerPending();

    QWebEngineProfile *m_profile;
    QWebEnginePage *m_page = nullptr;
    QPointer<QNetworkCookieJar> m_sharedJar;
    // Every script's callback is answered exactly once, by its result or by the page's end.
    QHash<quint64, std::function<void(const QVariant &)>> m_pending;
    quint64 m_nextScript = 0;
    // The page and its parts load from this site only: the last service address navigated to.
    QUrl m_service;
    // True from a navigation or a submitted form until the new page has loaded with all its
    // frames and parts: meanwhile only a parsed document of the latest navigation is read.
    bool m_navigating = false;
    // Numbers the navigations; each document is stamped with the number current as it is made.
    quint64 m_navigation = 0;
    // While a page loads, its size is looked at now and then: one larger than any friends page
    // is stopped.
    QTimer m_sizeWatch;
    bool m_sizeAsked = false;
    bool m_pageTooLarge = false;
    // True when the current page's load failed or the server answered with a server error.
    bool m_pageFailed = false;
    // Why the current page's load failed, as far as it tells: handed on with every read.
    LoadTrouble m_trouble;
    quint64 m_loadsStarted = 0;
    // The page's process has ended abnormally: the page is dead until it is replaced.
    bool m_rendererGone = false;
};

} // namespace amiscan
