// How a scan's end is named from what it saw, and when failing scans and their recovery are told:
// both pure, tested directly.
#include "data_table.h"
#include "model/scan_health.h"
#include "scan/scan_verdict.h"
#include "scan_pages.h"
#include <QTest>

using namespace amiscan;
using namespace amiscan::testing;
using Page = ScanSeen::Page;

namespace {

// A page read directly that lists the given user names under its own count. An empty one is
// an entry whose name stands one tag deeper, its user name out of reach: it has none.
QString directPage(const QStringList &userNames, const QString &count)
{
    QString page = "<html><body><h2>Friends Online Now:" + count + "</h2><ul>";
    for (const QString &name : userNames)
        page += "<li style=\"list-style:none;padding:5px\">" +
                (name.isEmpty() ? "<a href=\"/my/account/profile.php?user=ann&amp;lang=en\">Ann "
                                  "Lee</a> <small>(ann)</small>"
                                : "Ann Lee<small>(" + name + ")</small>") +
                "</li>";
    return page + "</ul>vey</body></html>";
}

} // namespace

class TestScanHealth : public QObject
{
    Q_OBJECT

private slots:
    // page: the latest page seen; status: the HTTP status of a failed load; then what was sent,
    // the network, an abort. verdict: the outcome's code, its detail, and "merged".
    void judgeScan_names_data()
    {
        addColumns<Page, QString, int, bool, bool, NetworkReach, bool, QString>(
            {"page", "text", "status", "certificate", "loginSent", "network", "aborted",
             "verdict"});
        const auto row = [](const char *name, Page page, const QString &text, const char *verdict,
                            int status = 0, bool certificate = false, bool loginSent = false,
                            NetworkReach network = NetworkReach::Unknown, bool aborted = false) {
            addRow(name, page, text, status, certificate, loginSent, network, aborted,
                   QString(verdict));
        };
        const auto friends = Page::Friends;
        row("read", friends, FriendsDirect, "read 0 merged");
        row("nobody online, counted", friends, directPage({}, " 0"), "read 0 merged");
        row("a count in its own tag", friends, directPage({"a", "b"}, " <b>2</b>"),
            "read 0 merged");
        row("nobody listed, no count", friends, directPage({}, ""), "unmarked 0 merged");
        row("some entries without user names", friends, directPage({"a", ""}, " 2"),
            "read 0 merged");
        row("no entry with a user name", friends, directPage({"", ""}, " 2"), "no-user-names 0");
        row("a count that disagrees", friends, directPage({"a", "b"}, " 3"), "count-disagrees 3");
        row("nobody listed, some counted", friends, directPage({}, " 4"), "count-disagrees 4");
        row("more than are read", friends, directPage(QStringList(MaxPageEntries + 5, "a"), " 205"),
            "read 0 merged");
        row("the page read after an abort", friends, FriendsDirect, "read 0 merged", 0, false,
            false, NetworkReach::Offline, true);
        row("the login form after the login", Page::LoginForm, "", "logged-out 0", 0, false, true);
        row("the login form before", Page::LoginForm, "", "no-answer 10");
        row("aborted", Page::LoginForm, "", "aborted 0", 0, false, true, NetworkReach::Offline,
            true);
        row("a certificate refused", Page::None, "", "certificate 0", 503, true);
        row("an error of the service", Page::Other, "", "service-error 503", 503);
        row("neither page", Page::Other, "", "not-friends-page 0", 0, false, true);
        row("a foreign page", Page::Foreign, "", "not-friends-page 0");
        row("no network", Page::None, "", "no-network 0", 0, false, false, NetworkReach::Offline);
        row("no answer", Page::None, "", "no-answer 10", 0, false, false, NetworkReach::Online);
    }
    void judgeScan_names()
    {
        auto [page, text, status, certificate, loginSent, network, aborted] =
            fetch<Page, QString, int, bool, bool, NetworkReach, bool>(
                "page", "text", "status", "certificate", "loginSent", "network", "aborted");
        ScanSeen seen{aborted,
                      loginSent,
                      page,
                      text,
                      readFriendsPage(text, 1),
                      LoadTrouble{status, certificate},
                      network,
                      10};
        const ScanVerdict verdict = judgeScan(seen);
        QTEST(QStringLiteral("%1 %2%3")
                  .arg(outcomeCode(verdict.outcome))
                  .arg(verdict.detail)
                  .arg(verdict.merge ? " merged" : ""),
              "verdict");
    }

    // Scans one minute apart unless "+M" sets the minutes since the previous: r read, a
    // aborted, n no answer, w no network, s service error, p page not understood, l logged out,
    // c certificate refused. told: the notices shown, each after the scan that showed it.
    void scanHealth_tellsOnceAnEpisode_data()
    {
        addColumns<QString, double, bool, QStringList>({"scans", "interval", "on", "told"});
        const QString fail = "Amiscan: ", back = "Amiscan: scans work again";
        addRow("a short outage", "r n n n r", 1.0, true, QStringList{});
        addRow("no answer for longer than three intervals", "r n n n n n r", 1.0, true,
               QStringList{"5 " + fail + "no answer", "6 " + back});
        addRow("three intervals are no longer", "r w +3 w r", 1.0, true, QStringList{});
        addRow("a longer interval", "r s s s s s r", 10.0, true, QStringList{});
        addRow("the service's error", "r s +10 s +30 s r", 10.0, true,
               QStringList{"3 " + fail + "service error", "4 " + back});
        addRow("a page not understood, at once", "r p p p r", 1.0, true,
               QStringList{"1 " + fail + "page not understood", "4 " + back});
        addRow("logged out, at once", "l r", 1.0, true,
               QStringList{"0 " + fail + "logged out", "1 " + back});
        addRow("the cause changes: told once", "r n c p n n n r", 1.0, true,
               QStringList{"2 " + fail + "certificate refused", "7 " + back});
        addRow("two episodes", "p r p r", 1.0, true,
               QStringList{"0 " + fail + "page not understood", "1 " + back,
                           "2 " + fail + "page not understood", "3 " + back});
        addRow("aborted scans change nothing", "r a a a a a p a r", 1.0, true,
               QStringList{"6 " + fail + "page not understood", "8 " + back});
        addRow("messages off", "r p n n n n r", 1.0, false, QStringList{});
    }
    void scanHealth_tellsOnceAnEpisode()
    {
        auto [scans, interval, on] = fetch<QString, double, bool>("scans", "interval", "on");
        const QHash<QChar, ScanOutcome> outcomes{
            {u'r', ScanOutcome::Read},         {u'a', ScanOutcome::Aborted},
            {u'n', ScanOutcome::NoAnswer},     {u'w', ScanOutcome::NetworkDown},
            {u's', ScanOutcome::ServiceError}, {u'p', ScanOutcome::NoUserNames},
            {u'l', ScanOutcome::LoggedOut},    {u'c', ScanOutcome::CertificateRefused}};
        ScanHealth health;
        QDateTime wall(QDate(2026, 3, 1), QTime(12, 0));
        double minutes = 1;
        int scan = 0;
        QStringList told;
        for (const QString &word : scans.split(u' ')) {
            if (word.startsWith(u'+')) {
                minutes = word.mid(1).toDouble();
                continue;
            }
            wall = wall.addSecs(qint64(minutes * 60));
            minutes = 1;
            if (const auto notice = health.scanEnded(outcomes.value(word[0]), 503, wall,
                                                     wall.toMSecsSinceEpoch(), interval, on))
                told << QString::number(scan) + u' ' + notice->title;
            ++scan;
        }
        QTEST(told, "told");
    }

    // What the notices say: the cause and what to do, and what was not seen.
    void notices_sayWhatHappenedAndWhatToDo()
    {
        QCOMPARE(failureNotice(ScanOutcome::ServiceError, 503, 47).text,
                 "Vey has answered with an error (HTTP status 503) for 47 minutes. There is "
                 "nothing to do but wait. Scans go on meanwhile, and you will be told when they "
                 "work again.");
        QCOMPARE(recoveryNotice(QDateTime(QDate(2026, 3, 1), QTime(10, 20)),
                                QDateTime(QDate(2026, 3, 1), QTime(9, 55)))
                     .text,
                 "The friends page was read at 10:20. Nobody's presence was seen from 09:55 to "
                 "10:20.");
    }
};

QTEST_GUILESS_MAIN(TestScanHealth)
#include "test_scan_health.moc"
