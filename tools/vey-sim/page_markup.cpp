#include "tools/vey-sim/page_markup.h"

namespace amiscan::sim {

namespace {

QString pageHead(const QString &title, bool foreign)
{
    const QString brand = foreign ? QStringLiteral("Members") : QStringLiteral("Vey");
    return QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                          "<title>%1 - %2</title>\n</head>\n<body>\n")
        .arg(brand, title);
}

// The service's domain word lives in the footer link, so a foreign page simply has another.
QString pageFoot(bool foreign)
{
    const QString site = foreign ? QStringLiteral("members area") : QStringLiteral("vey");
    return QStringLiteral("<p class=\"footer\">Friends and presence on <a href=\"%1?%2\">%3</a>"
                          "</p>\n</body>\n</html>\n")
        .arg(QLatin1String(friendsPagePath), QLatin1String(friendsPageQuery), site);
}

QString friendEntry(const RosterFriend &online, FriendsLayout layout)
{
    const QString name = online.displayName.toHtmlEscaped();
    if (layout == FriendsLayout::Deeper)
        return QStringLiteral("<li style=\"list-style:none;padding:5px\"><a href=\"/my/account/"
                              "profile.php?user=%1&amp;lang=en\">%2</a> <small>(%1)</small></li>\n")
            .arg(online.userName.toHtmlEscaped(), name);
    QString entry = (layout == FriendsLayout::Unmarked
                         ? QStringLiteral("<li class=\"friend\">")
                         : QStringLiteral("<li style=\"list-style:none;padding:5px\">")) +
                    name;
    if (!online.userName.isEmpty())
        entry += QStringLiteral("<br><small>(") + online.userName.toHtmlEscaped() +
                 QStringLiteral(")</small>");
    return entry + QStringLiteral("</li>\n");
}

} // namespace

QByteArray loginPage(const LoginPageOptions &options)
{
    QString page = pageHead(QStringLiteral("Log in"), options.foreign);
    page += QStringLiteral("<h1>Log in to your account</h1>\n");
    if (!options.errorLine.isEmpty())
        page += QStringLiteral("<p class=\"error\">") + options.errorLine.toHtmlEscaped() +
                QStringLiteral("</p>\n");
    page +=
        QStringLiteral("<form method=\"post\" action=\"%1\">\n"
                       "<p><label>User name <input type=\"text\" name=\"username\"></label></p>\n"
                       "<p><label>Password <input type=\"password\" name=\"password\"></label>"
                       "</p>\n")
            .arg(QLatin1String(loginPath));
    if (options.withButton)
        page += QStringLiteral("<p><button type=\"submit\">Log in</button></p>\n");
    page += QStringLiteral("</form>\n") + pageFoot(options.foreign);
    return page.toUtf8();
}

QByteArray friendsPage(const QList<RosterFriend> &online, bool foreign, FriendsLayout layout)
{
    QString page = pageHead(QStringLiteral("My friends"), foreign);
    const qsizetype counted = online.size() + (layout == FriendsLayout::CountOff ? 1 : 0);
    page += layout == FriendsLayout::Unmarked
                ? QStringLiteral("<h2>Friends Online Now:</h2>\n<ul>\n")
                : QStringLiteral("<h2>Friends Online Now: %1</h2>\n<ul>\n").arg(counted);
    for (const RosterFriend &friendOnline : online)
        page += friendEntry(friendOnline, layout);
    page += QStringLiteral("</ul>\n") + pageFoot(foreign);
    return page.toUtf8();
}

} // namespace amiscan::sim
