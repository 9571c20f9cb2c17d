#include "scan/page_reader.h"

#include <QTest>

using namespace amiscan;

namespace {

const QString DirectTag = QStringLiteral("<li style=\"list-style:none;padding:5px\">");
const QString BrowserTag =
    QStringLiteral("<LI style=\"PADDING-RIGHT: 5px; PADDING-LEFT: 5px; PADDING-BOTTOM: 5px\">");
const QString Heading = QStringLiteral("<html><body><h2>Friends Online Now: (3)</h2><ul>\n");

// One entry as the service writes it: the text, then its user name in parentheses in a tag.
QString directEntry(const QString &text, const QString &userName)
{
    return DirectTag + text + QStringLiteral("<small>(") + userName +
           QStringLiteral(")</small></li>\n");
}

QString browserEntry(const QString &text, const QString &userName)
{
    return BrowserTag + text + QStringLiteral("<SMALL>(") + userName +
           QStringLiteral(")</SMALL></LI>\n");
}

QString entryWithoutUserName(const QString &text)
{
    return DirectTag + text + QStringLiteral("</li>\n") + QString(60, u' ');
}

QList<FriendEntry> readDirect(const QString &body)
{
    return readFriendsPage(Heading + body + QStringLiteral("</ul></body></html>"), 1);
}

} // namespace

class TestPageReader : public QObject
{
    Q_OBJECT

private slots:
    void bothWrittenForms_areReadOnlyByTheirOwnRoute()
    {
        const QString direct = Heading +
                               directEntry(QStringLiteral("Ann Lee"), QStringLiteral("ann.lee")) +
                               directEntry(QStringLiteral("Bob"), QStringLiteral("bob_1"));
        const QString browser = Heading +
                                browserEntry(QStringLiteral("Ann Lee"), QStringLiteral("ann.lee")) +
                                browserEntry(QStringLiteral("Bob"), QStringLiteral("bob_1"));

        for (const auto &[page, route] :
             {std::pair{direct, 1}, std::pair{browser, 0}, std::pair{browser, 9}}) {
            const QList<FriendEntry> entries = readFriendsPage(page, route);
            QCOMPARE(entries.size(), 2);
            QCOMPARE(entries[0].displayName, QStringLiteral("Ann Lee"));
            QCOMPARE(entries[0].accountName, QStringLiteral("ann.lee"));
            QCOMPARE(entries[0].nameMark, QString());
            QCOMPARE(entries[1].displayName, QStringLiteral("Bob"));
            QCOMPARE(entries[1].accountName, QStringLiteral("bob_1"));
        }
        QVERIFY(readFriendsPage(direct, 0).isEmpty());
        QVERIFY(readFriendsPage(direct, 9).isEmpty());
        QVERIFY(readFriendsPage(browser, 1).isEmpty());
        QVERIFY(readFriendsPage(Heading, 1).isEmpty());
        QVERIFY(readFriendsPage(QString(), 1).isEmpty());
    }

    void names_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("accountName");
        QTest::addColumn<QString>("nameMark");

        const QString mark = QStringLiteral("\u00B2");
        QTest::newRow("plain") << "Ann Lee 2"
                               << "ann.lee"
                               << "Ann Lee 2"
                               << "ann.lee"
                               << "";
        QTest::newRow("two characters") << "Al"
                                        << "al"
                                        << "Al"
                                        << "al"
                                        << "";
        QTest::newRow("blanks trimmed") << "   Ann Lee  "
                                        << "  ann.lee "
                                        << "Ann Lee"
                                        << "ann.lee"
                                        << "";
        QTest::newRow("accented letter") << QStringLiteral("Jos\u00E9") << "jose"
                                         << "jose"
                                         << "jose" << mark;
        QTest::newRow("dot") << "Dr. Who"
                             << "drwho"
                             << "drwho"
                             << "drwho" << mark;
        QTest::newRow("hyphen") << "Ann-Lee"
                                << "ann"
                                << "ann"
                                << "ann" << mark;
        QTest::newRow("line break") << "Ann\nLee"
                                    << "ann"
                                    << "ann"
                                    << "ann" << mark;
        QTest::newRow("tab") << "Ann\tLee"
                             << "ann"
                             << "ann"
                             << "ann" << mark;
        QTest::newRow("one character") << "A"
                                       << "a.user"
                                       << "a.user"
                                       << "a.user" << mark;
        QTest::newRow("empty text") << ""
                                    << "ann"
                                    << "ann"
                                    << "ann" << mark;
        QTest::newRow("blank text") << "   "
                                    << "ann"
                                    << "ann"
                                    << "ann" << mark;
        QTest::newRow("empty user name") << "Ann Lee"
                                         << ""
                                         << "Ann Lee"
                                         << ""
                                         << "";
        QTest::newRow("nothing usable") << "A"
                                        << ""
                                        << "unknown-1"
                                        << "" << mark;
        QTest::newRow("parentheses across a tag") << "Ann Lee"
                                                  << "ann</small><small>lee"
                                                  << "Ann Lee"
                                                  << "Ann Lee"
                                                  << "";
        QTest::newRow("user name kept raw") << "Ann Lee"
                                            << "a.b-c d"
                                            << "Ann Lee"
                                            << "a.b-c d"
                                            << "";
    }

    void names()
    {
        QFETCH(QString, text);
        QFETCH(QString, userName);
        const QList<FriendEntry> entries = readDirect(directEntry(text, userName));
        QCOMPARE(entries.size(), 1);
        QTEST(entries[0].displayName, "displayName");
        QTEST(entries[0].accountName, "accountName");
        QTEST(entries[0].nameMark, "nameMark");
    }

    void noParenthesesInReach_userNameIsTheText()
    {
        const QList<FriendEntry> entries = readDirect(
            entryWithoutUserName(QStringLiteral("Bob Smith")) +
            entryWithoutUserName(QStringLiteral("b.smith")) + entryWithoutUserName(QString()));
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].displayName, QStringLiteral("Bob Smith"));
        QCOMPARE(entries[0].accountName, QStringLiteral("Bob Smith"));
        QCOMPARE(entries[0].nameMark, QString());
        QCOMPARE(entries[1].displayName, QStringLiteral("b.smith"));
        QCOMPARE(entries[1].accountName, QStringLiteral("b.smith"));
        QCOMPARE(entries[1].nameMark, QStringLiteral("\u00B2"));
        QCOMPARE(entries[2].displayName, QStringLiteral("unknown-3"));
        QCOMPARE(entries[2].accountName, QString());
        QCOMPARE(entries[2].nameMark, QStringLiteral("\u00B2"));
    }

    void parenthesesAtTheEdgeOfTheReach()
    {
        // The "(" may stand at most 48 characters after the "<" that ends the text.
        auto entryWithGap = [](int gap) {
            return DirectTag + QStringLiteral("Ann Lee<") + QString(gap - 1, u'x') +
                   QStringLiteral("(ann.lee)</li>") + QString(60, u' ');
        };
        const QList<FriendEntry> inReach = readDirect(entryWithGap(48));
        QCOMPARE(inReach.size(), 1);
        QCOMPARE(inReach[0].accountName, QStringLiteral("ann.lee"));

        const QList<FriendEntry> outOfReach = readDirect(entryWithGap(49));
        QCOMPARE(outOfReach.size(), 1);
        QCOMPARE(outOfReach[0].accountName, QStringLiteral("Ann Lee"));
    }

    void pageStartingWithAShortEntryAndNoParentheses()
    {
        const QString page =
            DirectTag + QStringLiteral("Al</li>") + DirectTag + QStringLiteral("Bo</li>");
        const QList<FriendEntry> entries = readFriendsPage(page, 1);
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].accountName, QStringLiteral("Al"));
        QCOMPARE(entries[1].accountName, QStringLiteral("Bo"));
    }

    void nextSearchStartsTenCharactersOn()
    {
        // A marker beginning within ten characters of the entry's ")" is passed over.
        auto pageWithGap = [](int gap) {
            return DirectTag + QStringLiteral("Ann Lee<b>(ann)") + QString(gap - 1, u'x') +
                   QStringLiteral("list-style:none;padding:5px>Bob Day<i>(bob)</i>");
        };
        const QList<FriendEntry> found = readFriendsPage(pageWithGap(10), 1);
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[1].accountName, QStringLiteral("bob"));
        QCOMPARE(readFriendsPage(pageWithGap(9), 1).size(), 1);
    }

    void atMostTwoHundredEntries()
    {
        QString body;
        for (int i = 1; i <= 250; ++i)
            body +=
                directEntry(i % 50 == 0 ? QStringLiteral("?") : QStringLiteral("Friend %1").arg(i),
                            i % 50 == 0 ? QString() : QStringLiteral("friend.%1").arg(i));
        const QList<FriendEntry> entries = readDirect(body);
        QCOMPARE(entries.size(), 200);
        QCOMPARE(entries[199].displayName, QStringLiteral("unknown-200"));
        QCOMPARE(entries[198].accountName, QStringLiteral("friend.199"));
        QCOMPARE(entries[49].displayName, QStringLiteral("unknown-50"));
    }

    void truncatedPage_endsTheReading()
    {
        const QString first =
            Heading + directEntry(QStringLiteral("Ann Lee"), QStringLiteral("ann"));
        // A tag that never closes, a text that never ends, a user name without its ")".
        const QStringList cuts = {
            QStringLiteral("<li style=\"list-style:none;padding:5px"),
            DirectTag + QStringLiteral("Bob Day"),
            DirectTag + QStringLiteral("Bob Day<small>(bob"),
        };
        for (const QString &cut : cuts) {
            const QList<FriendEntry> entries = readFriendsPage(first + cut, 1);
            QCOMPARE(entries.size(), 1);
            QCOMPARE(entries[0].accountName, QStringLiteral("ann"));
        }
    }
};

QTEST_APPLESS_MAIN(TestPageReader)
#include "test_page_reader.moc"
