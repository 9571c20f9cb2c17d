#pragma once

#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace amiscan {

// One request as the simulator logged it.
struct SimRequest
{
    QString method;    // "GET", "POST", ...
    QString path;      // path and query, as requested
    bool validSession; // a valid session cookie came with it
    QString page;      // "login", "friends", "redirect", "not-found" or "bad-request"
};

// Runs the vey-sim executable as a separate process for a test: start() waits for its
// address, requests() gives what it has served so far, and the destructor stops it.
//
//     VeySimProcess sim({"--page", file});
//     QVERIFY2(sim.start(), qPrintable(sim.errorString()));
//     QUrl page = sim.friendsPageUrl();
class VeySimProcess final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VeySimProcess)

public:
    explicit VeySimProcess(QStringList arguments = {}, QObject *parent = nullptr);
    ~VeySimProcess() override;

    // The executable built with the project.
    static QString executablePath();

    // Starts the process and waits for its first line with the address. False (and
    // errorString()) when it does not start, exits, or says nothing in time.
    bool start(int timeoutMs = 10000);

    // Ends it with SIGTERM (SIGKILL when it does not end in time). True when it ended by itself
    // with exit code 0.
    bool stop(int timeoutMs = 5000);

    bool isRunning() const;
    quint16 port() const { return m_port; }
    QUrl baseUrl() const { return m_baseUrl; }
    // The account friends page, "/my/account/friends.php?lang=en".
    QUrl friendsPageUrl() const;
    QUrl loginUrl() const;
    QUrl url(const QString &pathAndQuery) const;

    // The request lines logged so far (reads what the process has written), raw and parsed.
    QStringList logLines();
    QList<SimRequest> requests();
    // Forgets the request lines logged so far, so a long run does not keep them all.
    void forgetRequests();
    // Waits until at least `count` request lines have been logged.
    bool waitForRequests(qsizetype count, int timeoutMs = 5000);

    QString errorString() const { return m_error; }
    // What the process wrote to its standard error.
    QString standardError();
    int exitCode() const { return m_process.exitCode(); }
    qint64 processId() const { return m_process.processId(); }

private:
    void readOutput();

    QStringList m_arguments;
    QProcess m_process;
    QByteArray m_partialLine;
    QStringList m_lines; // every complete line, the address line first
    quint16 m_port = 0;
    QUrl m_baseUrl;
    QString m_error;
    QByteArray m_stderr;
};

} // namespace amiscan
