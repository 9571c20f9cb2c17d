#pragma once

#include "platform/browser.h"

#include <QByteArray>
#include <QJsonObject>
#include <QLatin1StringView>
#include <QNetworkCookie>

namespace amiscan::browser_messages {

// The program and its browser helper talk over the helper's standard input and output, one JSON
// object a line. Each names its kind under "op".
//
// To the helper:  load   navigate {url, cookies}   stop   read {id}
//                 login {id, user, password, address}
// From it:        page {id, hasDocument, html, address, status, certificateRefused}
//                 login {id, result}
//                 cookie {cookie}   cookie-removed {cookie}
inline constexpr QLatin1StringView Op("op");
inline constexpr QLatin1StringView Load("load");
inline constexpr QLatin1StringView Navigate("navigate");
inline constexpr QLatin1StringView Stop("stop");
inline constexpr QLatin1StringView Read("read");
inline constexpr QLatin1StringView Login("login");
inline constexpr QLatin1StringView Page("page");
inline constexpr QLatin1StringView Cookie("cookie");
inline constexpr QLatin1StringView CookieRemoved("cookie-removed");

inline constexpr QLatin1StringView Id("id");
inline constexpr QLatin1StringView Url("url");
inline constexpr QLatin1StringView Cookies("cookies");
inline constexpr QLatin1StringView HasDocument("hasDocument");
inline constexpr QLatin1StringView Html("html");
inline constexpr QLatin1StringView User("user");
inline constexpr QLatin1StringView Password("password");
inline constexpr QLatin1StringView Address("address");
inline constexpr QLatin1StringView Result("result");
inline constexpr QLatin1StringView Status("status");
inline constexpr QLatin1StringView CertificateRefused("certificateRefused");

// A login's result as a message gives it, and back; anything else reads as another page.
QString loginResultText(Browser::LoginResult result);
Browser::LoginResult loginResultFromText(const QString &text);

// One message as a line, its end of line included.
QByteArray encode(const QJsonObject &message);
// The message of one line (with or without its end); an empty object when it holds none.
QJsonObject decode(const QByteArray &line);

// A cookie with everything the browser and the direct read need to send it to the same pages.
QJsonObject cookieToJson(const QNetworkCookie &cookie);
QNetworkCookie cookieFromJson(const QJsonObject &object);

} // namespace amiscan::browser_messages
