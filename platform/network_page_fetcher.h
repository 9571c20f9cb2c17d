#pragma once

#include "platform/page_fetcher.h"

#include <QDeadlineTimer>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkCookieJar;
class QNetworkReply;

namespace amiscan {

// Fetches a page with Qt Network. Addresses that may not be contacted (plain HTTP off this
// machine) fail at once without any request being sent. A redirect is followed only to a page of
// the service whose address was fetched (see isServicePage), with the cookies of its own address;
// one that leads elsewhere fails the fetch. A fetch that has not finished after the time limit
// fails, and so does a page larger than MaxPageBytes, as soon as its size shows.
class NetworkPageFetcher final : public PageFetcher
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NetworkPageFetcher)

public:
    static constexpr int DefaultTimeoutMs = 30000;

    // The manager is used as given (tests pass one that records); without one, a new one is made.
    explicit NetworkPageFetcher(QNetworkAccessManager *manager = nullptr,
                                QObject *parent = nullptr);
    ~NetworkPageFetcher() override;

    QNetworkAccessManager *manager() const { return m_manager; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    void fetch(const QUrl &url, Callback callback) override;

private:
    // One request of a fetch that began at `service`, and its redirects.
    void get(const QUrl &url, const QUrl &service, int redirectsLeft, QDeadlineTimer deadline,
             Callback callback);

    QNetworkAccessManager *m_manager;
    int m_timeoutMs = DefaultTimeoutMs;
};

} // namespace amiscan
