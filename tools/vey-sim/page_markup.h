#pragma once

#include "tools/vey-sim/roster.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace amiscan::sim {

// The address of the account friends page, path and query.
inline constexpr char friendsPagePath[] = "/my/account/friends.php";
inline constexpr char friendsPageQuery[] = "lang=en";
inline constexpr char loginPath[] = "/login";

struct LoginPageOptions
{
    QString errorLine; // shown above the form when not empty
    bool withButton = true;
    bool foreign = false; // leave the service's domain word out
};

// The login form: its first input takes the user name, its second the password, and its first
// button submits both to /login by POST.
QByteArray loginPage(const LoginPageOptions &options);

// How the friends page is laid out.
enum class FriendsLayout
{
    Usual,
    Deeper,   // each name in a link inside its entry, the user name out of the reader's reach
    Unmarked, // the heading without its count, the entries without their style
    CountOff, // the heading counts one friend more than the list
};

// The friends page: a heading with "Friends Online Now:" and the number of friends online, and
// one entry per friend online, written as the service writes it (the name right after the
// entry's opening tag, the user name in parentheses in the tag after it), unless laid out
// otherwise. Names are HTML-escaped.
QByteArray friendsPage(const QList<RosterFriend> &online, bool foreign,
                       FriendsLayout layout = FriendsLayout::Usual);

} // namespace amiscan::sim
