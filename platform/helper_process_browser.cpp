#include "platform/helper_process_browser.h"

#include "platform/address_policy.h"
#include "platform/browser_messages.h"
#include "platform/logging.h"
#include "platform/page_limits.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QNetworkCookieJar>
#include <QProcess>
#include <QTimer>

#include <csignal>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace amiscan {

namespace msg = browser_messages;

namespace {

const QString HelperName = QStringLiteral("amiscan-browser");
// An answer longer than the largest page, each character written in the most bytes an answer
// takes for one (an escaped control character, "\u001f"): the helper has gone wrong.
constexpr qint64 MaxLineBytes = 6 * qint64(MaxPageBytes) + (qint64(64) << 10);
// A helper asked to end gets this long to close its browser before it is killed.
constexpr int EndingGraceMs = 5000;
// As the program ends, it waits no longer than this.
constexpr int EndingAtExitMs = 1000;

// The helper receives the password: it must be a program that only this user or the system
// could have put there. Missing, it counts as trusted: starting it fails and says so.
bool isTrustedHelper(const QString &path, QString *why)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return true;
    if (info.st_uid != ::geteuid() && info.st_uid != 0) {
        *why = QStringLiteral("it belongs to another user (uid %1)").arg(info.st_uid);
        return false;
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        *why = QStringLiteral("users other than its owner may change it");
        return false;
    }
    return true;
}

} // namespace

QString HelperProcessBrowser::findHelper(const QString &programDir, const QString &installedPath)
{
    const QDir folder(programDir);
    const QStringList places{folder.filePath(HelperName), folder.filePath(installedPath)};
    for (const QString &place : places) {
        const QFileInfo helper(place);
        if (helper.isFile() && helper.isExecutable())
            return helper.absoluteFilePath();
    }
    return places.constFirst();
}

HelperProcessBrowser::HelperProcessBrowser(const QString &helperPath, QObject *parent)
    : Browser(parent), m_helperPath(helperPath)
{
}

HelperProcessBrowser::~HelperProcessBrowser()
{
    unload();
    // Helpers told to end get a moment to close their browser; one that does not is killed.
    const QList<QProcess *> ending = findChildren<QProcess *>();
    for (QProcess *helper : ending) {
        if (helper->state() != QProcess::NotRunning && !helper->waitForFinished(EndingAtExitMs)) {
            helper->kill();
            helper->waitForFinished();
        }
    }
}

void HelperProcessBrowser::shareCookiesWith(QNetworkCookieJar *jar)
{
    m_jar = jar;
}

bool HelperProcessBrowser::isHelperRunning() const
{
    return m_helper && m_helper->state() != QProcess::NotRunning;
}

void HelperProcessBrowser::load()
{
    // A helper that has gone cannot be used again: a fresh one takes its place.
    if (m_helper && !isHelperRunning())
        unload();
    if (m_helper) {
        // The helper's page may have lost its own process: the helper replaces such a page.
        send({{msg::Op, msg::Load}});
        return;
    }
    // Refused, the helper is as good as missing: the browser has no page.
    if (QString why; !isTrustedHelper(m_helperPath, &why)) {
        // The user must act on these two: they reach standard error whether verbose or not.
        qCCritical(browserLog, "The browser helper %s is not started: %s.",
                   qPrintable(m_helperPath), qPrintable(why));
        return;
    }
    m_helper = new QProcess(this);
    const quint64 generation = ++m_generation;
    m_helper->setProgram(m_helperPath);
    m_helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
    // Whatever way the program ends, its helper ends with it.
    m_helper->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    connect(m_helper, &QProcess::readyReadStandardOutput, this, [this, generation] {
        if (generation == m_generation)
            readAnswers();
    });
    connect(m_helper, &QProcess::finished, this,
            [this, generation](int code, QProcess::ExitStatus status) {
                if (generation != m_generation)
                    return;
                qCWarning(browserLog, "The browser helper ended before its scan was done: %s %d",
                          status == QProcess::CrashExit ? "signal" : "exit code", code);
                helperGone();
            });
    connect(m_helper, &QProcess::errorOccurred, this, [this, generation](QProcess::ProcessError e) {
        if (generation != m_generation || e != QProcess::FailedToStart)
            return;
        qCCritical(browserLog, "The browser helper %s cannot be started: %s",
                   qPrintable(m_helperPath), qPrintable(m_helper->errorString()));
        helperGone();
    });
    m_helper->start(QIODevice::ReadWrite);
}

void HelperProcessBrowser::unload()
{
    if (!m_helper)
        return;
    ++m_generation;
    QProcess *helper = std::exchange(m_helper, nullptr);
    if (helper->state() == QProcess::NotRunning) {
        helper->deleteLater();
    } else {
        // Its input closing tells the helper to close its browser and end.
        connect(helper, &QProcess::finished, helper, &QObject::deleteLater);
        QTimer::singleShot(EndingGraceMs, helper, &QProcess::kill);
        helper->closeWriteChannel();
    }
    answerPending();
}

void HelperProcessBrowser::navigate(const QUrl &url)
{
    if (!isHelperRunning())
        return;
    QJsonArray cookies;
    if (m_jar && isAllowedServiceAddress(url)) {
        for (const QNetworkCookie &cookie : m_jar->cookiesForUrl(url))
            cookies.append(msg::cookieToJson(cookie));
    }
    send({{msg::Op, msg::Navigate},
          {msg::Url, url.toString(QUrl::FullyEncoded)},
          {msg::Cookies, cookies}});
}

void HelperProcessBrowser::stop()
{
    if (isHelperRunning())
        send({{msg::Op, msg::Stop}});
}

void HelperProcessBrowser::readPage(PageCallback callback)
{
    if (!isHelperRunning()) {
        callback(false, QString(), QUrl(), {});
        return;
    }
    const quint64 id = m_nextRequest++;
    m_pageReads.emplace(id, std::move(callback));
    send({{msg::Op, msg::Read}, {msg::Id, qint64(id)}});
}

void HelperProcessBrowser::submitLogin(const QString &userName, const QString &password,
                                       const QUrl &pageAddress, SubmitCallback callback)
{
    if (!isHelperRunning()) {
        callback(LoginResult::OtherPage);
        return;
    }
    const quint64 id = m_nextRequest++;
    m_logins.emplace(id, std::move(callback));
    send({{msg::Op, msg::Login},
          {msg::Id, qint64(id)},
          {msg::User, userName},
          {msg::Password, password},
          {msg::Address, pageAddress.toString(QUrl::FullyEncoded)}});
}

void HelperProcessBrowser::send(const QJsonObject &message)
{
    m_helper->write(msg::encode(message));
}

void HelperProcessBrowser::readAnswers()
{
    // An answer may unload the browser, or load a new one: the lines of this helper end there.
    const quint64 generation = m_generation;
    while (generation == m_generation && m_helper->canReadLine())
        receive(msg::decode(m_helper->readLine()));
    if (generation == m_generation && m_helper->bytesAvailable() > MaxLineBytes) {
        qCWarning(browserLog, "The browser helper sent an answer too long to be one: it is "
                              "stopped.");
        m_helper->kill();
    }
}

void HelperProcessBrowser::receive(const QJsonObject &message)
{
    const QString op = message.value(msg::Op).toString();
    const quint64 id = quint64(message.value(msg::Id).toInteger());
    if (op == msg::Page) {
        if (const PageCallback answer = m_pageReads.take(id))
            answer(message.value(msg::HasDocument).toBool(), message.value(msg::Html).toString(),
                   QUrl(message.value(msg::Address).toString()),
                   LoadTrouble{message.value(msg::Status).toInt(),
                               message.value(msg::CertificateRefused).toBool()});
    } else if (op == msg::Login) {
        if (const SubmitCallback answer = m_logins.take(id))
            answer(msg::loginResultFromText(message.value(msg::Result).toString()));
    } else if (op == msg::Cookie) {
        if (m_jar)
            m_jar->insertCookie(msg::cookieFromJson(message.value(msg::Cookie).toObject()));
    } else if (op == msg::CookieRemoved) {
        if (m_jar)
            m_jar->deleteCookie(msg::cookieFromJson(message.value(msg::Cookie).toObject()));
    }
}

void HelperProcessBrowser::helperGone()
{
    // What it had not answered yet it never will: no page. The browser stays loaded, without a
    // page, until it is unloaded or loaded anew.
    answerPending();
}

void HelperProcessBrowser::answerPending()
{
    const auto pageReads = std::exchange(m_pageReads, {});
    const auto logins = std::exchange(m_logins, {});
    for (const PageCallback &answer : pageReads)
        answer(false, QString(), QUrl(), {});
    for (const SubmitCallback &answer : logins)
        answer(LoginResult::OtherPage);
}

} // namespace amiscan
