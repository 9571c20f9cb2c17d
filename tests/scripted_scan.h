#pragma once
// Pages as the service and the browser write them, and a main window that scans through the
// scripted browser and fetcher, logged in as "demo" unless asked otherwise.
#include "fake_platform.h"
#include "scan/scan_driver.h"
#include "ui/form1.h"
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>
#include <memory>

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
inline const QString LoginForm = QStringLiteral("<HEAD></HEAD><BODY><FORM><INPUT><INPUT>"
                                                "<BUTTON>Log in</BUTTON></FORM><P>vey</P>") +
                                 Filler + QStringLiteral("</BODY>");

struct ScriptedScan
{
    QTemporaryDir dir;
    Form1 form{dir.path()};
    FakeBrowser *browser = nullptr;
    FakePageFetcher *fetcher = nullptr;
    // beforeLoad runs once the window exists and before its start-up: to put files in its
    // directory or give it other platform layers.
    explicit ScriptedScan(bool withLogin = true,
                          const std::function<void(ScriptedScan &)> &beforeLoad = {})
    {
        auto b = std::make_unique<FakeBrowser>();
        auto f = std::make_unique<FakePageFetcher>();
        browser = b.get();
        fetcher = f.get();
        form.setScanPlatform(std::move(b), std::move(f));
        form.scanDriver().setTimings({20, 5, 5});
        if (beforeLoad)
            beforeLoad(*this);
        form.load();
        if (withLogin) {
            form.state.userName = QStringLiteral("demo");
            form.state.password = QStringLiteral("demo123");
            form.state.savedPassword = QStringLiteral("demo123");
            form.TextLogin->setText(QStringLiteral("demo"));
        }
    }
    bool scanning() const { return form.ButGo->text() == QStringLiteral("Abort Scan"); }
};

} // namespace amiscan
