#pragma once

#include "platform/load_trouble.h"
#include "platform/network_reach.h"
#include "scan/page_reader.h"
#include "store/scan_record.h"

#include <QList>
#include <QString>

#include <optional>

namespace amiscan {

// What a scan saw on its way, for naming how it ended.
struct ScanSeen
{
    // The latest page that came whole.
    enum class Page
    {
        None,
        Friends,   // the friends page: its text and the entries read from it are below
        LoginForm, // a page of the service with an input element
        Other,     // a page of the service that is neither
        Foreign,   // a page without the service's domain word, or of another site
    };
    bool aborted = false; // by the user, before the friends page came
    bool loginSent = false;
    Page page = Page::None;
    QString friendsPage;
    QList<FriendEntry> entries;
    // Why the latest load that failed did, as far as it told.
    LoadTrouble trouble;
    NetworkReach network = NetworkReach::Unknown;
    int ticksWaited = 0;
};

// How the scan ends: its outcome with its detail, and whether the friends page is merged.
struct ScanVerdict
{
    ScanOutcome outcome = ScanOutcome::Failed;
    int detail = 0;
    bool merge = false;
    friend bool operator==(const ScanVerdict &, const ScanVerdict &) = default;
};

// A friends page is merged unless it is not understood: entries were read and none has a user
// name, or its own count of friends online is not the number read (beyond the reading's limit,
// more is as many). An empty page is merged as the reading has always done, but is a page read
// with nobody online only when it counts nobody itself. Without a friends page, what the user
// can act on comes first: the login form come back after the login was sent, the certificate
// refused; then the service's error status, a page that is neither the friends page nor the
// login form, no network; else no answer came in time.
ScanVerdict judgeScan(const ScanSeen &seen);

// The page's own count of friends online: the number after "Friends Online Now:" (blanks and
// tags between them passed over), when it shows one.
std::optional<int> pageOnlineCount(const QString &page);

} // namespace amiscan
