#pragma once

#include <QString>
#include <QUrl>

namespace amiscan {

// The service's address until the settings name another one.
inline const QString BuiltInServiceUrl = QStringLiteral("https://www.vey.example");
inline const QString FriendsPagePath = QStringLiteral("/my/account/friends.php?lang=en");
// Every page of the service holds this word; a page without it is foreign.
inline const QString ServiceDomainWord = QStringLiteral("vey");
inline const QString FriendsPageMarker = QStringLiteral("Friends Online Now:");
inline const QString PageEndMarker = QStringLiteral("</BODY>");

// The friends page at the given service address (scheme, host, optional port; empty for the
// built-in one).
inline QUrl friendsPageUrl(const QString &serviceUrl)
{
    QString base = serviceUrl.trimmed().isEmpty() ? BuiltInServiceUrl : serviceUrl.trimmed();
    while (base.endsWith(u'/'))
        base.chop(1);
    return QUrl(base + FriendsPagePath);
}

} // namespace amiscan
