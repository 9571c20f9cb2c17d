#pragma once
// Pages as the service and the browser write them, and the friends read from them.
#include "scan/page_reader.h"
#include <QList>
#include <QString>
#include <QStringList>

namespace amiscan {

// Pages shorter than 100 characters never count as loaded: the filler makes them long enough.
inline const QString Filler(120, u' ');
inline const QString FriendsDirect = QStringLiteral(
    "<html><body><h2>Friends Online Now: 2</h2><ul>"
    "<li style=\"list-style:none;padding:5px\">Ann Lee<br><small>(ann.lee)</small></li>"
    "<li style=\"list-style:none;padding:5px\">Bob<br><small>(bob)</small></li>"
    "</ul><a href=\"/\">vey</a></body></html>");
// The friends page as the browser renders it, listing the given display and user names.
inline QString browserFriendsPage(const QList<QStringList> &friends)
{
    QString items;
    for (const QStringList &f : friends)
        items += QStringLiteral("<LI style=\"PADDING-RIGHT: 5px; PADDING-LEFT: 5px; "
                                "PADDING-BOTTOM: 5px; PADDING-TOP: 5px\">"
                                "%1<BR><SMALL>(%2)</SMALL></LI>")
                     .arg(f.at(0), f.at(1));
    return QStringLiteral("<HEAD></HEAD><BODY><H2>Friends Online Now: %1</H2><UL>")
               .arg(friends.size()) +
           items + QStringLiteral("</UL><A href=\"/\">vey</A>") + Filler +
           QStringLiteral("</BODY>");
}
inline const QString FriendsBrowser =
    browserFriendsPage({{QStringLiteral("Ann Lee"), QStringLiteral("ann.lee")},
                        {QStringLiteral("Bob"), QStringLiteral("bob")}});
// Each friend read as "display name|user name|mark".
inline QStringList entryTexts(const QList<FriendEntry> &entries)
{
    QStringList texts;
    for (const FriendEntry &e : entries)
        texts << e.displayName + u'|' + e.accountName + u'|' + e.nameMark;
    return texts;
}
inline const QString LoginForm = QStringLiteral("<HEAD></HEAD><BODY><FORM><INPUT><INPUT>"
                                                "<BUTTON>Log in</BUTTON></FORM><P>vey</P>") +
                                 Filler + QStringLiteral("</BODY>");

} // namespace amiscan
