#pragma once

// A browser and a page fetcher that answer from scripts and record what they were asked,
// so the scan's state machine can be driven without a network; a notification-area icon for a
// desktop that tests choose.
#include "platform/browser.h"
#include "platform/page_fetcher.h"
#include "platform/tray_icon.h"

#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <functional>

namespace amiscan {

class FakeBrowser final : public Browser
{
public:
    // The page shown after each navigation, by address; the login form's answer after submitting.
    std::function<QString(const QUrl &)> pageFor = [](const QUrl &) { return QString(); };
    QString pageAfterLogin;
    bool hasButton = true;

    QList<QUrl> navigations;
    QList<QStringList> logins;
    int loads = 0;
    int unloads = 0;

    void load() override
    {
        if (!m_loaded)
            ++loads;
        m_loaded = true;
    }
    void unload() override
    {
        if (m_loaded)
            ++unloads;
        m_loaded = false;
        m_page.clear();
        m_hasDocument = false;
    }
    bool isLoaded() const override { return m_loaded; }
    void navigate(const QUrl &url) override
    {
        navigations << url;
        if (!m_loaded)
            return;
        m_hasDocument = true;
        m_page = url.scheme() == QLatin1StringView("about") ? QString() : pageFor(url);
    }
    void stop() override {}
    void readPage(PageCallback callback) override
    {
        const bool has = m_loaded && m_hasDocument;
        const QString page = m_page;
        QTimer::singleShot(0, this, [callback, has, page] { callback(has, page); });
    }
    void submitLogin(const QString &user, const QString &password, SubmitCallback callback) override
    {
        const bool submitted = m_loaded && m_hasDocument && hasButton;
        if (submitted) {
            logins << QStringList{user, password};
            m_page = pageAfterLogin;
        }
        QTimer::singleShot(0, this, [callback, submitted] { callback(submitted); });
    }

private:
    bool m_loaded = false;
    bool m_hasDocument = false;
    QString m_page;
};

class FakePageFetcher final : public PageFetcher
{
public:
    std::function<QString(const QUrl &)> answer = [](const QUrl &) { return QString(); };
    bool fails = false;
    QList<QUrl> fetched;

    void fetch(const QUrl &url, Callback callback) override
    {
        fetched << url;
        const bool ok = !fails;
        const QString text = ok ? answer(url) : QString();
        QTimer::singleShot(0, this, [callback, ok, text] { callback(ok, text); });
    }
};

class FakeTrayIcon final : public TrayIcon
{
public:
    bool available = true; // the desktop has a notification area
    bool shown = false;
    int adds = 0;
    QString toolTip;
    std::function<void()> onAdd;

    bool isAvailable() const override { return available; }
    void add(const QIcon &, const QString &tip) override
    {
        ++adds;
        shown = true;
        toolTip = tip;
        if (onAdd)
            onAdd();
    }
    void setToolTip(const QString &tip) override { toolTip = tip; }
    void remove() override { shown = false; }
    bool isShown() const override { return shown; }
    void press() { emit pressed(); }
};

} // namespace amiscan
