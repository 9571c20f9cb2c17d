#include "scan/scan_verdict.h"

#include "scan/service_address.h"

#include <algorithm>

namespace amiscan {

std::optional<int> pageOnlineCount(const QString &page)
{
    const qsizetype marker = page.indexOf(FriendsPageMarker);
    if (marker < 0)
        return std::nullopt;
    qsizetype at = marker + FriendsPageMarker.size();
    while (at < page.size()) {
        if (page[at].isSpace()) {
            ++at;
        } else if (page[at] == u'<') {
            const qsizetype tagEnd = page.indexOf(u'>', at);
            if (tagEnd < 0)
                return std::nullopt;
            at = tagEnd + 1;
        } else {
            break;
        }
    }
    qsizetype digits = 0;
    while (at + digits < page.size() && digits < 6 && page[at + digits].isDigit() &&
           page[at + digits].unicode() < 128)
        ++digits;
    if (digits == 0)
        return std::nullopt;
    return page.mid(at, digits).toInt();
}

ScanVerdict judgeScan(const ScanSeen &seen)
{
    if (seen.page == ScanSeen::Page::Friends) {
        const QList<FriendEntry> &entries = seen.entries;
        const int read = int(entries.size());
        if (read > 0 && std::all_of(entries.begin(), entries.end(),
                                    [](const FriendEntry &e) { return e.accountName.isEmpty(); }))
            return {ScanOutcome::NoUserNames};
        const std::optional<int> counted = pageOnlineCount(seen.friendsPage);
        if (counted && *counted != read && !(read == MaxPageEntries && *counted > read))
            return {ScanOutcome::CountDisagrees, *counted};
        if (read == 0 && !counted)
            return {ScanOutcome::Unmarked, 0, true};
        return {ScanOutcome::Read, 0, true};
    }
    if (seen.aborted)
        return {ScanOutcome::Aborted};
    if (seen.loginSent && seen.page == ScanSeen::Page::LoginForm)
        return {ScanOutcome::LoggedOut};
    if (seen.trouble.certificateRefused)
        return {ScanOutcome::CertificateRefused};
    if (seen.trouble.httpStatus >= 400)
        return {ScanOutcome::ServiceError, seen.trouble.httpStatus};
    if (seen.page == ScanSeen::Page::Other || seen.page == ScanSeen::Page::Foreign)
        return {ScanOutcome::NotFriendsPage};
    if (seen.network == NetworkReach::Offline)
        return {ScanOutcome::NetworkDown};
    return {ScanOutcome::NoAnswer, seen.ticksWaited};
}

} // namespace amiscan
