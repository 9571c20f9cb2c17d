#include "tools/vey-sim/sim_options.h"

#include <QCommandLineParser>
#include <QFile>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace amiscan::sim {

namespace {

const QString description = QStringLiteral(
    "Local stand-in for the Vey service: serves its login form and account friends page on\n"
    "127.0.0.1 only. The first line printed is 'listening on http://127.0.0.1:PORT', then one\n"
    "line per request: method, path, session=yes|no, page=login|friends|redirect|not-found|"
    "bad-request.\n"
    "Presence follows a simulated clock: it starts at --epoch (default: now) and runs\n"
    "--time-scale times as fast as real time (0 stops it). Sessions last --session-ttl real\n"
    "seconds. Ends cleanly on SIGINT or SIGTERM.\n"
    "With --fault, requests for the friends page meet the fault (each logged as 'fault NAME\n"
    "METHOD PATH'); with --tls-cert and --tls-key the service is served over HTTPS and the\n"
    "first line says https.");

// The names of the faults on the command line.
const QList<std::pair<QString, Fault>> faultNames = {
    {QStringLiteral("hang"), Fault::Hang},
    {QStringLiteral("cut"), Fault::Cut},
    {QStringLiteral("reset"), Fault::Reset},
    {QStringLiteral("500"), Fault::Error500},
    {QStringLiteral("503"), Fault::Error503},
    {QStringLiteral("trickle"), Fault::Trickle},
    {QStringLiteral("garbage"), Fault::Garbage},
    {QStringLiteral("frame"), Fault::Frame},
    {QStringLiteral("deeper"), Fault::Deeper},
    {QStringLiteral("unmarked"), Fault::Unmarked},
    {QStringLiteral("count-off"), Fault::CountOff},
    {QStringLiteral("logged-out"), Fault::LoggedOut},
};

std::optional<qint64> parseInteger(const QString &text, qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

// Redirects lead to this machine only: whoever follows one sends nothing elsewhere.
bool isLoopbackAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    const QString host = url.host();
    if (host == QLatin1String("localhost") || host == QLatin1String("::1"))
        return true;
    const QStringList parts = host.split(u'.');
    if (parts.size() != 4 || parts.first() != QLatin1String("127"))
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || value < 0 || value > 255)
            return false;
    }
    return true;
}

} // namespace

bool isServiceFault(Fault fault)
{
    return fault == Fault::Deeper || fault == Fault::Unmarked || fault == Fault::CountOff ||
           fault == Fault::LoggedOut;
}

QByteArray faultName(Fault fault)
{
    for (const auto &[name, named] : faultNames) {
        if (named == fault)
            return name.toUtf8();
    }
    return QByteArrayLiteral("none");
}

bool SimOptions::faultOn() const
{
    return fault != Fault::None && (faultWhileFile.isEmpty() || QFile::exists(faultWhileFile));
}

SimOptionsResult parseSimOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port to listen on (0 or absent: any free port)."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption user(QStringLiteral("user"),
                                  QStringLiteral("User name that logs in (default demo)."),
                                  QStringLiteral("NAME"), QStringLiteral("demo"));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("Password that logs in (default demo123)."),
                                      QStringLiteral("TEXT"), QStringLiteral("demo123"));
    const QCommandLineOption sessionTtl(
        QStringLiteral("session-ttl"),
        QStringLiteral("Real seconds a login stays valid (default 3600)."),
        QStringLiteral("SECONDS"), QStringLiteral("3600"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the friends' presence (default 1)."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption roster(
        QStringLiteral("roster"),
        QStringLiteral("Friends to use instead of the built-in roster: one a line, display name, "
                       "a tab, user name (no tab: an entry without user name)."),
        QStringLiteral("FILE"));
    const QCommandLineOption page(
        QStringLiteral("page"),
        QStringLiteral(
            "Serve this file verbatim as friends page (repeatable): the n-th friends "
            "page served is the n-th file, the last one repeating. --foreign leaves them "
            "as they are."),
        QStringLiteral("FILE"));
    const QCommandLineOption delay(
        QStringLiteral("delay-ms"),
        QStringLiteral("Delay every answer by MS milliseconds (answers come one at a time)."),
        QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption foreign(
        QStringLiteral("foreign"), QStringLiteral("Leave the service's domain word out of pages."));
    const QCommandLineOption noButton(QStringLiteral("no-button"),
                                      QStringLiteral("Login page without a submit button."));
    const QCommandLineOption allOnline(QStringLiteral("all-online"),
                                       QStringLiteral("Every friend of the roster is online."));
    const QCommandLineOption redirect(
        QStringLiteral("redirect"),
        QStringLiteral("Answer every request with a redirect (302) to URL, an http or https "
                       "address on this machine's loopback."),
        QStringLiteral("URL"));
    const QCommandLineOption epoch(
        QStringLiteral("epoch"),
        QStringLiteral("Simulated time at start, in seconds since 1970 (default: now)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption timeScale(
        QStringLiteral("time-scale"),
        QStringLiteral("Simulated seconds per real second (default 1; 0 stops the clock)."),
        QStringLiteral("FACTOR"), QStringLiteral("1"));
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral(
            "Requests for the friends page meet this fault: hang (accepted, never "
            "answered), cut (the answer's body cut off in the middle), reset (the "
            "connection reset), 500 or 503 (an error page of the service), trickle "
            "(the body in small pieces, slowly), garbage (bytes that mean nothing), frame (the "
            "page whole, with a frame whose server never answers); or the service's own: deeper "
            "(the friends page with each name one tag deeper, in a link, and its user name out "
            "of reach), unmarked (the friends page without its count of friends online and "
            "without its entries' style), count-off (a count of friends online one more than "
            "the list), logged-out (every session logged out, every login refused)."),
        QStringLiteral("NAME"));
    const QCommandLineOption spareAgent(
        QStringLiteral("spare-agent"),
        QStringLiteral("Clients whose User-Agent contains TEXT never meet the fault."),
        QStringLiteral("TEXT"));
    const QCommandLineOption faultAfterLogin(
        QStringLiteral("fault-after-login"),
        QStringLiteral("Only requests that carry a session cookie meet the fault."));
    const QCommandLineOption faultWhile(
        QStringLiteral("fault-while"),
        QStringLiteral("Requests meet the fault only while FILE exists: the service goes away, or "
                       "changes, and comes back as the file is made and removed."),
        QStringLiteral("FILE"));
    const QCommandLineOption trickleMs(
        QStringLiteral("trickle-ms"),
        QStringLiteral("Pause between the 64-byte pieces of a trickled body (default 50)."),
        QStringLiteral("MS"), QStringLiteral("50"));
    const QCommandLineOption tlsCert(QStringLiteral("tls-cert"),
                                     QStringLiteral("Serve HTTPS with this certificate (PEM)."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption tlsKey(QStringLiteral("tls-key"),
                                    QStringLiteral("The certificate's private RSA key (PEM)."),
                                    QStringLiteral("FILE"));
    parser.addOptions({help,       port,      user,      password, sessionTtl, seed,
                       roster,     page,      delay,     foreign,  noButton,   allOnline,
                       redirect,   epoch,     timeScale, fault,    spareAgent, faultAfterLogin,
                       faultWhile, trickleMs, tlsCert,   tlsKey});

    SimOptionsResult result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        result.helpText = parser.helpText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error =
            QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first();
        return result;
    }

    SimOptions options;
    const auto number = [&](const QCommandLineOption &option, qint64 min,
                            qint64 max) -> std::optional<qint64> {
        const auto value = parseInteger(parser.value(option), min, max);
        if (!value)
            result.error = QStringLiteral("Invalid value for --%1: %2")
                               .arg(option.names().constLast(), parser.value(option));
        return value;
    };
    const auto portValue = number(port, 0, 65535);
    const auto ttlValue = number(sessionTtl, 1, std::numeric_limits<int>::max());
    const auto seedValue = number(seed, 0, std::numeric_limits<qint64>::max());
    const auto delayValue = number(delay, 0, std::numeric_limits<int>::max());
    const auto trickleValue = number(trickleMs, 1, std::numeric_limits<int>::max());
    if (!portValue || !ttlValue || !seedValue || !delayValue || !trickleValue)
        return result;
    options.spareAgent = parser.value(spareAgent);
    options.faultAfterLogin = parser.isSet(faultAfterLogin);
    options.faultWhileFile = parser.value(faultWhile);
    options.trickleMs = int(*trickleValue);
    if (parser.isSet(fault)) {
        const auto named = std::find_if(faultNames.begin(), faultNames.end(), [&](const auto &n) {
            return n.first == parser.value(fault);
        });
        if (named == faultNames.end()) {
            result.error = QStringLiteral("Invalid value for --fault: ") + parser.value(fault);
            return result;
        }
        options.fault = named->second;
    }
    options.tlsCertFile = parser.value(tlsCert);
    options.tlsKeyFile = parser.value(tlsKey);
    if (options.tlsCertFile.isEmpty() != options.tlsKeyFile.isEmpty()) {
        result.error = QStringLiteral("--tls-cert and --tls-key go together");
        return result;
    }
    options.port = quint16(*portValue);
    options.sessionTtlSeconds = int(*ttlValue);
    options.seed = quint64(*seedValue);
    options.delayMs = int(*delayValue);

    if (parser.isSet(epoch)) {
        options.epochSeconds =
            number(epoch, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
        if (!options.epochSeconds)
            return result;
    }
    bool scaleOk = false;
    options.timeScale = parser.value(timeScale).toDouble(&scaleOk);
    if (!scaleOk || !(options.timeScale >= 0) || options.timeScale > 1e9) {
        result.error = QStringLiteral("Invalid value for --time-scale: ") + parser.value(timeScale);
        return result;
    }

    options.user = parser.value(user);
    options.password = parser.value(password);
    options.rosterFile = parser.value(roster);
    options.pageFiles = parser.values(page);
    options.foreign = parser.isSet(foreign);
    options.noButton = parser.isSet(noButton);
    options.allOnline = parser.isSet(allOnline);
    if (parser.isSet(redirect)) {
        options.redirectTo = parser.value(redirect);
        if (!isLoopbackAddress(QUrl(options.redirectTo, QUrl::StrictMode))) {
            result.error = QStringLiteral("Invalid value for --redirect: ") + options.redirectTo;
            return result;
        }
    }
    result.options = options;
    return result;
}

} // namespace amiscan::sim
