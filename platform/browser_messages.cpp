#include "platform/browser_messages.h"

#include <QDateTime>
#include <QJsonDocument>

namespace amiscan::browser_messages {

namespace {

// Cookie names and values are bytes: Latin-1 carries every byte through a JSON string unchanged.
QString bytesText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

} // namespace

QString loginResultText(Browser::LoginResult result)
{
    switch (result) {
    case Browser::LoginResult::Submitted:
        return QStringLiteral("submitted");
    case Browser::LoginResult::NoForm:
        return QStringLiteral("no-form");
    case Browser::LoginResult::OtherPage:
        break;
    }
    return QStringLiteral("other-page");
}

Browser::LoginResult loginResultFromText(const QString &text)
{
    if (text == loginResultText(Browser::LoginResult::Submitted))
        return Browser::LoginResult::Submitted;
    if (text == loginResultText(Browser::LoginResult::NoForm))
        return Browser::LoginResult::NoForm;
    return Browser::LoginResult::OtherPage;
}

QByteArray encode(const QJsonObject &message)
{
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

QJsonObject decode(const QByteArray &line)
{
    return QJsonDocument::fromJson(line.trimmed()).object();
}

QJsonObject cookieToJson(const QNetworkCookie &cookie)
{
    QJsonObject object{{QStringLiteral("name"), bytesText(cookie.name())},
                       {QStringLiteral("value"), bytesText(cookie.value())},
                       {QStringLiteral("domain"), cookie.domain()},
                       {QStringLiteral("path"), cookie.path()},
                       {QStringLiteral("secure"), cookie.isSecure()},
                       {QStringLiteral("httpOnly"), cookie.isHttpOnly()},
                       {QStringLiteral("sameSite"), int(cookie.sameSitePolicy())}};
    if (!cookie.isSessionCookie())
        object.insert(QStringLiteral("expires"), cookie.expirationDate().toMSecsSinceEpoch());
    return object;
}

QNetworkCookie cookieFromJson(const QJsonObject &object)
{
    QNetworkCookie cookie(object.value(QStringLiteral("name")).toString().toLatin1(),
                          object.value(QStringLiteral("value")).toString().toLatin1());
    cookie.setDomain(object.value(QStringLiteral("domain")).toString());
    cookie.setPath(object.value(QStringLiteral("path")).toString());
    cookie.setSecure(object.value(QStringLiteral("secure")).toBool());
    cookie.setHttpOnly(object.value(QStringLiteral("httpOnly")).toBool());
    cookie.setSameSitePolicy(
        QNetworkCookie::SameSite(object.value(QStringLiteral("sameSite")).toInt()));
    const QJsonValue expires = object.value(QStringLiteral("expires"));
    if (expires.isDouble())
        cookie.setExpirationDate(QDateTime::fromMSecsSinceEpoch(expires.toInteger(), Qt::UTC));
    return cookie;
}

} // namespace amiscan::browser_messages
