#include "platform/network_page_fetcher.h"

#include "platform/address_policy.h"
#include "platform/logging.h"
#include "platform/page_limits.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>

#include <algorithm>

namespace amiscan {

namespace {

// Redirects one fetch follows before it counts as failed.
constexpr int MaxRedirects = 10;

QString decodeBody(QNetworkReply *reply, const QByteArray &body)
{
    const QString contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    const qsizetype at = contentType.indexOf(QLatin1StringView("charset="), 0, Qt::CaseInsensitive);
    if (at >= 0) {
        const QString charset = contentType.mid(at + 8).section(u';', 0, 0).trimmed().remove(u'"');
        QStringDecoder decoder(charset.toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    return QString::fromUtf8(body);
}

} // namespace

NetworkPageFetcher::NetworkPageFetcher(QNetworkAccessManager *manager, QObject *parent)
    : PageFetcher(parent), m_manager(manager ? manager : new QNetworkAccessManager(this))
{
}

NetworkPageFetcher::~NetworkPageFetcher() = default;

void NetworkPageFetcher::fetch(const QUrl &url, Callback callback)
{
    if (!isAllowedServiceAddress(url)) {
        qCInfo(scanLog, "The direct read does not go to %s: neither HTTPS nor on this machine",
               qPrintable(url.toDisplayString()));
        // Answer on the next turn of the event loop, as a real fetch would.
        QTimer::singleShot(0, this, [callback, url] { callback(false, QString(), url, {}); });
        return;
    }
    get(url, url, MaxRedirects, QDeadlineTimer(m_timeoutMs), std::move(callback));
}

void NetworkPageFetcher::get(const QUrl &url, const QUrl &service, int redirectsLeft,
                             QDeadlineTimer deadline, Callback callback)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    // Redirects are followed here, each as a request of its own: Qt's own following would send
    // the first address's cookies wherever the redirect points.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply *reply = m_manager->get(request);
    // The transfer timeout only notices silence; this limits the whole fetch as well.
    QTimer::singleShot(int(std::max<qint64>(0, deadline.remainingTime())), reply,
                       &QNetworkReply::abort);
    // A page larger than any friends page is refused as soon as its size shows.
    const auto refuseLarge = [reply] {
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (announced > MaxPageBytes || reply->bytesAvailable() > MaxPageBytes) {
            qCInfo(scanLog, "The direct read of %s is refused: larger than any friends page",
                   qPrintable(reply->url().toDisplayString()));
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, refuseLarge);
    connect(reply, &QNetworkReply::readyRead, reply, refuseLarge);

    connect(reply, &QNetworkReply::finished, this, [=, this, callback = std::move(callback)] {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            qCInfo(scanLog, "The direct read of %s failed: %s",
                   qPrintable(reply->url().toDisplayString()),
                   reply->error() == QNetworkReply::OperationCanceledError
                       ? "no answer in time, or a page too large"
                       : qPrintable(reply->errorString()));
            // What the scan can tell its user: the service's error, or its certificate refused.
            LoadTrouble trouble;
            trouble.certificateRefused = reply->error() == QNetworkReply::SslHandshakeFailedError;
            if (const int status =
                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                status >= 400)
                trouble.httpStatus = status;
            callback(false, QString(), reply->url(), trouble);
            return;
        }
        const QVariant target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
        if (!target.isValid()) {
            callback(true, decodeBody(reply, reply->readAll()), reply->url(), {});
            return;
        }
        // Followed only to the service's own pages, never from HTTPS to plain HTTP.
        const QUrl next = reply->url().resolved(target.toUrl());
        if (redirectsLeft > 0 && isServicePage(next, service)) {
            get(next, service, redirectsLeft - 1, deadline, callback);
        } else {
            qCInfo(scanLog, "A redirect to %s is refused: not the service's own page",
                   qPrintable(next.toDisplayString()));
            callback(false, QString(), next, {});
        }
    });
}

} // namespace amiscan
