#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace amiscan::sim {

// What requests for the friends page meet instead of the plain answer: a connection accepted
// and never answered, an answer cut off in the middle of its body, the connection reset, an
// error page (500 or 503) of the service, a body that trickles in, bytes that mean nothing, or
// the page with a frame whose server accepts its request and never answers. Or the service
// itself changes: its friends page laid out otherwise (the names one tag deeper, or without the
// page's own count and entry markers), a count of friends online that disagrees with its list,
// or every session logged out and every login refused.
enum class Fault
{
    None,
    Hang,
    Cut,
    Reset,
    Error500,
    Error503,
    Trickle,
    Garbage,
    Frame,
    Deeper,
    Unmarked,
    CountOff,
    LoggedOut,
};

// The faults the service itself serves, rather than the front before it.
bool isServiceFault(Fault fault);
// The fault's name on the command line and in the log; "none" for none.
QByteArray faultName(Fault fault);

// Everything the command line can change about the simulated service.
struct SimOptions
{
    quint16 port = 0; // 0: any free port
    QString user = QStringLiteral("demo");
    QString password = QStringLiteral("demo123");
    int sessionTtlSeconds = 3600;
    quint64 seed = 1;
    QString rosterFile;    // empty: the built-in roster
    QStringList pageFiles; // served verbatim, in order, instead of generated friends pages
    int delayMs = 0;
    bool foreign = false;  // pages without the service's domain word
    bool noButton = false; // login page without its submit button
    bool allOnline = false;
    QString redirectTo; // not empty: every request is answered with a redirect to it
    std::optional<qint64> epochSeconds; // simulated time at start; absent: the real time
    double timeScale = 1.0;             // simulated seconds per real second; 0 stops the clock
    Fault fault = Fault::None;
    QString spareAgent;           // clients whose User-Agent contains this never meet the fault
    bool faultAfterLogin = false; // only requests with a session cookie meet the fault
    QString faultWhileFile;       // not empty: the fault is met only while this file exists
    int trickleMs = 50;           // pause between the pieces of a trickled answer
    QString tlsCertFile;          // HTTPS with this certificate and key (PEM), when given
    QString tlsKeyFile;

    // Faults of the network and HTTPS are served by a front before the service.
    bool hasFront() const
    {
        return (fault != Fault::None && !isServiceFault(fault)) || !tlsCertFile.isEmpty();
    }
    // The fault is met now: always, or while its file exists.
    bool faultOn() const;
};

// The outcome of reading the command line: options to run with, or the help text to print, or
// an error to report.
struct SimOptionsResult
{
    std::optional<SimOptions> options;
    QString helpText;
    QString error;
};

// arguments includes the program name first, as QCoreApplication::arguments() gives it.
SimOptionsResult parseSimOptions(const QStringList &arguments);

} // namespace amiscan::sim
