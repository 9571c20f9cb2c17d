#pragma once

#include "platform/browser.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>

class QJsonObject;
class QNetworkCookieJar;
class QProcess;

namespace amiscan {

// The embedded browser, run in the browser helper: a process of its own, started by load() and
// ended by unload(), so that no browser process stays alive between scans and the program never
// holds the browser engine itself. Requests and answers travel over the helper's standard input
// and output, the password included (never on its command line or in its environment).
// The login lives in the direct read's cookie jar: each navigation hands the helper the cookies
// of the address, and every cookie the helper's browser receives or drops is mirrored into it.
// A helper that cannot start, crashes or is killed leaves a browser without a page: reads answer
// that there is no document, so the scan's waiting ticks run out as they do without a network.
// So does a helper that users other than its owner may change, or that belongs to a user other
// than this one or the system's: it is not started at all (and standard error says why).
// One that stops answering is killed when the browser is unloaded, as the scan ends.
class HelperProcessBrowser final : public Browser
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelperProcessBrowser)

public:
    // The helper beside the program, or in the private folder of an installed program; when
    // neither is there, the first place it was looked for.
    // Beside the program (a copy unpacked or built anywhere), else where its installation put
    // it: installedPath, relative to the program's folder. The first place when neither has it.
    static QString
    findHelper(const QString &programDir = QCoreApplication::applicationDirPath(),
               const QString &installedPath = QStringLiteral(AMISCAN_INSTALLED_HELPER));

    explicit HelperProcessBrowser(const QString &helperPath = findHelper(),
                                  QObject *parent = nullptr);
    ~HelperProcessBrowser() override;

    void load() override;
    void unload() override;
    bool isLoaded() const override { return m_helper != nullptr; }
    void navigate(const QUrl &url) override;
    void stop() override;
    void readPage(PageCallback callback) override;
    void submitLogin(const QString &userName, const QString &password, const QUrl &pageAddress,
                     SubmitCallback callback) override;

    // The direct read's cookie jar (owned by its network manager).
    void shareCookiesWith(QNetworkCookieJar *jar);

private:
    bool isHelperRunning() const;
    void send(const QJsonObject &message);
    void readAnswers();
    void receive(const QJsonObject &message);
    void helperGone();
    void answerPending();

    const QString m_helperPath;
    // The running helper, between load() and unload().
    QProcess *m_helper = nullptr;
    // Moves on with every helper started or let go, so answers of an old one are dropped.
    quint64 m_generation = 0;
    QPointer<QNetworkCookieJar> m_jar;
    quint64 m_nextRequest = 0;
    // Every request is answered exactly once: by the helper, or as failed when it goes.
    QHash<quint64, PageCallback> m_pageReads;
    QHash<quint64, SubmitCallback> m_logins;
};

} // namespace amiscan
