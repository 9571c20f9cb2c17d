#pragma once
// A browser and a page fetcher that answer from scripts and record what they were asked,
// so the scan's state machine can be driven without a network; a notification-area icon for a
// desktop that tests choose; desktop notifications that are recorded.
#include "desktop/notifier.h"
#include "desktop/tray_icon.h"
#include "platform/browser.h"
#include "platform/page_fetcher.h"
#include <QIcon>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <utility>

namespace amiscan {

class FakeBrowser final : public Browser
{
public:
    // The page shown after each navigation, by the address it lands at; the login form's answer
    // after submitting.
    std::function<QString(const QUrl &)> pageFor = [](const QUrl &) { return QString(); };
    QString pageAfterLogin;
    bool hasButton = true;
    // False: reads and logins get no answer (a page script that never yields) until the browser
    // is destroyed, when it answers with the page it holds.
    bool answers = true;
    QList<QUrl> navigations;
    QList<QStringList> logins;
    ~FakeBrowser() override
    {
        for (const auto &answer : std::exchange(m_held, {}))
            answer();
    }
    qsizetype heldAnswers() const { return m_held.size(); }
    void load() override { m_loaded = true; }
    void unload() override
    {
        m_loaded = false;
        m_page.clear();
        m_address.clear();
        m_hasDocument = false;
    }
    bool isLoaded() const override { return m_loaded; }
    void navigate(const QUrl &url) override
    {
        navigations << url;
        if (!m_loaded)
            return;
        m_hasDocument = true;
        m_address = url;
        m_page = url.scheme() == QLatin1StringView("about") ? QString() : pageFor(url);
    }
    void stop() override {}
    void readPage(PageCallback callback) override
    {
        const bool has = m_loaded && m_hasDocument;
        answer(
            [callback, has, page = m_page, address = m_address] { callback(has, page, address); });
    }
    void submitLogin(const QString &user, const QString &password, const QUrl &pageAddress,
                     SubmitCallback callback) override
    {
        LoginResult result = LoginResult::OtherPage;
        if (m_loaded && m_hasDocument && pageAddress == m_address)
            result = hasButton ? LoginResult::Submitted : LoginResult::NoForm;
        if (result == LoginResult::Submitted) {
            logins << QStringList{user, password};
            m_page = pageAfterLogin;
        }
        answer([callback, result] { callback(result); });
    }

private:
    void answer(std::function<void()> answer)
    {
        if (answers)
            QTimer::singleShot(0, this, answer);
        else
            m_held << answer;
    }
    bool m_loaded = false;
    bool m_hasDocument = false;
    QString m_page;
    QUrl m_address;
    QList<std::function<void()>> m_held;
};

class FakePageFetcher final : public PageFetcher
{
public:
    std::function<QString(const QUrl &)> answer = [](const QUrl &) { return QString(); };
    bool fails = false;
    int delayMs = 0;
    QUrl landsAt; // where the answer comes from, after redirects; empty: the address asked for
    QList<QUrl> fetched;
    void fetch(const QUrl &url, Callback callback) override
    {
        fetched << url;
        const bool ok = !fails;
        const QString text = ok ? answer(url) : QString();
        const QUrl at = landsAt.isEmpty() ? url : landsAt;
        QTimer::singleShot(delayMs, this, [callback, ok, text, at] { callback(ok, text, at); });
    }
};

class FakeTrayIcon final : public TrayIcon
{
public:
    bool available = true; // the desktop has a notification area
    bool shown = false;
    QString toolTip;
    bool isAvailable() const override { return available; }
    void add(const QIcon &, const QString &tip) override
    {
        shown = true;
        toolTip = tip;
    }
    void setToolTip(const QString &tip) override { toolTip = tip; }
    void remove() override { shown = false; }
    bool isShown() const override { return shown; }
    void press() { emit pressed(); }
};

class FakeNotifier final : public Notifier
{
public:
    // Title and text of each notification shown.
    QList<QStringList> shown;
    bool withIcon = true;
    void notify(const QIcon &icon, const QString &title, const QString &text,
                const QString & = {}) override
    {
        withIcon = withIcon && !icon.isNull();
        shown << QStringList{title, text};
    }
    void click() { emit activated(); }
};

} // namespace amiscan
