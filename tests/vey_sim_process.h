#pragma once

#include <QProcess>
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

// Runs the vey-sim executable for a test, which only ever listens on loopback: start() waits for
// its address, requests() gives what it has served so far, and the destructor stops it.
//
//     VeySimProcess sim({"--page", file});
//     QVERIFY2(sim.start(), qPrintable(sim.errorString()));
class VeySimProcess final
{
    Q_DISABLE_COPY_MOVE(VeySimProcess)

public:
    explicit VeySimProcess(const QStringList &arguments = {});
    ~VeySimProcess() { stop(); }

    // False (and errorString()) when it does not start, exits, or gives no address in time.
    bool start(int timeoutMs = 10000);
    // SIGTERM (SIGKILL when it does not end in time); true when it ended by itself with code 0.
    bool stop(int timeoutMs = 5000);

    QUrl baseUrl() const { return m_baseUrl; }

    // The request lines logged so far, raw and parsed.
    QStringList logLines();
    QList<SimRequest> requests();
    // Forgets the request lines logged so far, so that a long run does not keep them all.
    void forgetRequests()
    {
        logLines();
        m_lines.clear();
    }

    QString errorString() const { return m_error; }
    QString standardError()
    {
        return QString::fromUtf8(m_stderr += m_process.readAllStandardError());
    }
    int exitCode() const { return m_process.exitCode(); }

private:
    QProcess m_process;
    QStringList m_lines; // the request lines read so far
    QUrl m_baseUrl;
    QString m_error;
    QByteArray m_stderr;
};

} // namespace amiscan
