#include "model/scan_health.h"

namespace amiscan {

namespace {

// Failures the user can act on are told at once.
bool isActionable(ScanOutcome outcome)
{
    return outcome == ScanOutcome::LoggedOut || outcome == ScanOutcome::CertificateRefused ||
           isPageNotUnderstood(outcome);
}

QString clockText(const QDateTime &time)
{
    return time.toString(QStringLiteral("HH:mm"));
}

} // namespace

std::optional<HealthNotice> ScanHealth::scanEnded(ScanOutcome outcome, int detail,
                                                  const QDateTime &end, qint64 steadyMs,
                                                  double intervalMinutes, bool messagesOn)
{
    if (outcome == ScanOutcome::Aborted)
        return std::nullopt;
    if (outcome == ScanOutcome::Read) {
        const bool told = std::exchange(m_told, false);
        const QDateTime unseenFrom = m_lastReadBeforeEpisode;
        m_failingSinceMs.reset();
        m_lastRead = end;
        if (told && messagesOn)
            return recoveryNotice(end, unseenFrom);
        return std::nullopt;
    }
    if (!m_failingSinceMs) {
        m_failingSinceMs = steadyMs;
        m_lastReadBeforeEpisode = m_lastRead;
    }
    const qint64 failingMs = steadyMs - *m_failingSinceMs;
    const bool tooLong = failingMs > qint64(3 * intervalMinutes * 60000);
    if (m_told || !messagesOn || !(isActionable(outcome) || tooLong))
        return std::nullopt;
    m_told = true;
    return failureNotice(outcome, detail, int(failingMs / 60000));
}

HealthNotice failureNotice(ScanOutcome outcome, int detail, int minutesFailing)
{
    const QString goOn =
        QStringLiteral(" Scans go on meanwhile, and you will be told when they work again.");
    const QString since = QStringLiteral("%1 minutes").arg(minutesFailing);
    if (isPageNotUnderstood(outcome))
        return {QStringLiteral("Amiscan: page not understood"),
                QStringLiteral("Amiscan does not understand the Vey friends page: the list is "
                               "left as it was and nobody's presence is recorded. Vey may have "
                               "changed its page: look for a newer Amiscan.") +
                    goOn};
    switch (outcome) {
    case ScanOutcome::LoggedOut:
        return {QStringLiteral("Amiscan: logged out"),
                QStringLiteral("Vey does not take the login: its login form comes back after "
                               "the user name and password are sent. Check them in Amiscan's "
                               "window, or log in on the Vey site to see what it asks for.") +
                    goOn};
    case ScanOutcome::CertificateRefused:
        return {QStringLiteral("Amiscan: certificate refused"),
                QStringLiteral("The Vey site's certificate is refused, so nothing is sent to it. "
                               "Check the computer's date and time, and the network it is on.") +
                    goOn};
    case ScanOutcome::ServiceError:
        return {QStringLiteral("Amiscan: service error"),
                QStringLiteral("Vey has answered with an error (HTTP status %1) for %2. There is "
                               "nothing to do but wait.")
                        .arg(detail)
                        .arg(since) +
                    goOn};
    case ScanOutcome::NetworkDown:
        return {QStringLiteral("Amiscan: no network"),
                QStringLiteral("The computer has had no network for %1. Check its connection.")
                        .arg(since) +
                    goOn};
    case ScanOutcome::NoAnswer:
        return {QStringLiteral("Amiscan: no answer"),
                QStringLiteral("Vey has not answered for %1. Check the internet connection.")
                        .arg(since) +
                    goOn};
    default:
        break;
    }
    return {QStringLiteral("Amiscan: scans fail"),
            QStringLiteral("Scans have failed for %1.").arg(since) + goOn};
}

HealthNotice recoveryNotice(const QDateTime &readAt, const QDateTime &unseenFrom)
{
    QString text = QStringLiteral("The friends page was read at %1.").arg(clockText(readAt));
    if (unseenFrom.isValid())
        text += QStringLiteral(" Nobody's presence was seen from %1 to %2.")
                    .arg(clockText(unseenFrom), clockText(readAt));
    return {QStringLiteral("Amiscan: scans work again"), text, true};
}

} // namespace amiscan
