#include "platform/network_page_fetcher.h"

#include "platform/address_policy.h"
#include "platform/logging.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>

namespace amiscan {

namespace {

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
        QTimer::singleShot(0, this, [callback] { callback(false, QString()); });
        return;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply *reply = m_manager->get(request);
    // The transfer timeout only notices silence; this limits the whole fetch as well.
    QTimer::singleShot(m_timeoutMs, reply, &QNetworkReply::abort);

    connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl &target) {
        if (isAllowedServiceAddress(target)) {
            emit reply->redirectAllowed();
        } else {
            qCInfo(scanLog, "A redirect to %s is refused: neither HTTPS nor on this machine",
                   qPrintable(target.toDisplayString()));
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [reply, callback] {
        reply->deleteLater();
        const bool ok = reply->error() == QNetworkReply::NoError;
        if (!ok)
            qCInfo(scanLog, "The direct read of %s failed: %s",
                   qPrintable(reply->url().toDisplayString()),
                   reply->error() == QNetworkReply::OperationCanceledError
                       ? "no answer in time, or a redirect refused"
                       : qPrintable(reply->errorString()));
        callback(ok, ok ? decodeBody(reply, reply->readAll()) : QString());
    });
}

} // namespace amiscan
