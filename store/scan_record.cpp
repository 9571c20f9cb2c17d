#include "store/scan_record.h"

namespace amiscan {

namespace {

struct Code
{
    ScanOutcome outcome;
    const char16_t *text;
};
constexpr Code Codes[] = {
    {ScanOutcome::Read, u"read"},
    {ScanOutcome::Failed, u"failed"},
    {ScanOutcome::LoggedOut, u"logged-out"},
    {ScanOutcome::NotFriendsPage, u"not-friends-page"},
    {ScanOutcome::NoUserNames, u"no-user-names"},
    {ScanOutcome::CountDisagrees, u"count-disagrees"},
    {ScanOutcome::Unmarked, u"unmarked"},
    {ScanOutcome::ServiceError, u"service-error"},
    {ScanOutcome::NetworkDown, u"no-network"},
    {ScanOutcome::CertificateRefused, u"certificate"},
    {ScanOutcome::NoAnswer, u"no-answer"},
    {ScanOutcome::Aborted, u"aborted"},
};

} // namespace

QString routeCode(ScanRoute route)
{
    return route == ScanRoute::Browser ? QStringLiteral("browser") : QStringLiteral("direct");
}

QString outcomeCode(ScanOutcome outcome)
{
    for (const Code &code : Codes) {
        if (code.outcome == outcome)
            return QString::fromUtf16(code.text);
    }
    return QStringLiteral("failed");
}

ScanOutcome outcomeFromCode(QStringView code)
{
    for (const Code &known : Codes) {
        if (code == QStringView(known.text))
            return known.outcome;
    }
    return ScanOutcome::Failed;
}

bool isPageNotUnderstood(ScanOutcome outcome)
{
    return outcome == ScanOutcome::NotFriendsPage || outcome == ScanOutcome::NoUserNames ||
           outcome == ScanOutcome::CountDisagrees || outcome == ScanOutcome::Unmarked;
}

QString outcomeWords(ScanOutcome outcome, int detail, int entryCount)
{
    switch (outcome) {
    case ScanOutcome::Read:
        return entryCount == 0 ? QStringLiteral("read, nobody online")
                               : QStringLiteral("read, %1 online").arg(entryCount);
    case ScanOutcome::LoggedOut:
        return QStringLiteral("logged out: the login form came back after the login was sent");
    case ScanOutcome::NotFriendsPage:
        return QStringLiteral("page not understood: neither the friends page nor the login form");
    case ScanOutcome::NoUserNames:
        return QStringLiteral("page not understood: %1 friends listed, none with a user name")
            .arg(entryCount);
    case ScanOutcome::CountDisagrees:
        return QStringLiteral("page not understood: it counts %1 friends online, %2 were read")
            .arg(detail)
            .arg(entryCount);
    case ScanOutcome::Unmarked:
        return QStringLiteral("page not understood: nobody listed, and no count of its own");
    case ScanOutcome::ServiceError:
        return QStringLiteral("service error: HTTP status %1").arg(detail);
    case ScanOutcome::NetworkDown:
        return QStringLiteral("network unavailable");
    case ScanOutcome::CertificateRefused:
        return QStringLiteral("certificate refused");
    case ScanOutcome::NoAnswer:
        return QStringLiteral("no answer within the ten ticks");
    case ScanOutcome::Aborted:
        return QStringLiteral("aborted by the user");
    case ScanOutcome::Failed:
        break;
    }
    return QStringLiteral("failed");
}

} // namespace amiscan
