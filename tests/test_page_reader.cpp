// The friends page reader: both written forms, the names it substitutes, its reach and limits.
#include "scan/page_reader.h"

#include <QTest>

using namespace amiscan;

namespace {

const QString Tag = QStringLiteral("<li style=\"list-style:none;padding:5px\">");
const QString BrowserTag =
    QStringLiteral("<LI style=\"PADDING-RIGHT: 5px; PADDING-LEFT: 5px; PADDING-BOTTOM: 5px\">");

QString entry(const QString &text, const QString &userName, const QString &tag = Tag)
{
    return tag + text + "<small>(" + userName + ")</small></li>\n";
}

// Each entry as "display name|user name|mark".
QStringList read(const QString &page, int route = 1)
{
    QStringList entries;
    for (const FriendEntry &e : readFriendsPage("<h2>Friends Online Now:</h2><ul>\n" + page, route))
        entries << e.displayName + u'|' + e.accountName + u'|' + e.nameMark;
    return entries;
}

} // namespace

class TestPageReader : public QObject
{
    Q_OBJECT

private slots:
    void eachFormIsReadOnlyByItsOwnRoute()
    {
        const QString direct = entry("Ann Lee", "ann.lee") + entry("Bob", "bob_1");
        const QString browser =
            entry("Ann Lee", "ann.lee", BrowserTag) + entry("Bob", "bob_1", BrowserTag);
        const QStringList both{"Ann Lee|ann.lee|", "Bob|bob_1|"};
        QCOMPARE(read(direct, 1), both);
        QCOMPARE(read(browser, 0), both);
        QCOMPARE(read(browser, 9), both);
        QVERIFY(read(direct, 0).isEmpty() && read(browser, 1).isEmpty() && read({}).isEmpty());
    }

    void names_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("entries");
        const auto row = [](const char *tag, const QString &page, const QStringList &entries) {
            QTest::newRow(tag) << page << entries;
        };
        row("plain, blanks trimmed", entry("  Ann Lee 2 ", " ann.lee "), {"Ann Lee 2|ann.lee|"});
        row("two characters", entry("Al", "al"), {"Al|al|"});
        for (const char *odd : {"Jos\u00E9", "Dr. Who", "Ann-Lee", "Ann\nLee", "A", "", "   "})
            row(qPrintable(QString::fromUtf8(odd).toHtmlEscaped().replace(u'\n', u'/')),
                entry(QString::fromUtf8(odd), "u"), {"u|u|²"});
        row("no user name", entry("Ann Lee", ""), {"Ann Lee||"});
        row("nothing usable", entry("A", ""), {"unknown-1||²"});
        row("parentheses across a tag", entry("Ann Lee", "ann</small><small>lee"),
            {"Ann Lee|Ann Lee|"});
        row("user name kept raw", entry("Ann Lee", "a.b-c d"), {"Ann Lee|a.b-c d|"});
        const QString pad(60, u' ');
        row("no parentheses in reach",
            Tag + "Bob Smith</li>" + pad + Tag + "b.smith</li>" + pad + Tag + "</li>" + pad,
            {"Bob Smith|Bob Smith|", "b.smith|b.smith|²", "unknown-3||²"});
        // The "(" may stand at most 48 characters after the "<" that ends the text.
        row("48 to the parenthesis", Tag + "Ann<" + QString(47, u'x') + "(ann)</li>" + pad,
            {"Ann|ann|"});
        row("49 to the parenthesis", Tag + "Ann<" + QString(48, u'x') + "(ann)</li>" + pad,
            {"Ann|Ann|"});
        row("short entries at the end", Tag + "Al</li>" + Tag + "Bo</li>", {"Al|Al|", "Bo|Bo|"});
        // The next search starts ten characters after the entry's ")".
        row("next marker 10 on",
            Tag + "Ann<b>(ann)" + QString(9, u'x') + Tag.mid(11) + "Bob<i>(bob)</i>",
            {"Ann|ann|", "Bob|bob|"});
        row("next marker 9 on",
            Tag + "Ann<b>(ann)" + QString(8, u'x') + Tag.mid(11) + "Bob<i>(bob)</i>", {"Ann|ann|"});
        for (const QString &cut : {Tag.chopped(2), Tag + "Bob Day", Tag + "Bob Day<small>(bob"})
            row(qPrintable("cut: " + cut.right(12)), entry("Ann", "ann") + cut, {"Ann|ann|"});
    }

    void names()
    {
        QFETCH(QString, page);
        QTEST(read(page), "entries");
    }

    void atMostTwoHundredEntries()
    {
        QString page;
        for (int i = 1; i <= 250; ++i)
            page += i % 50
                        ? entry(QStringLiteral("Friend %1").arg(i), QStringLiteral("f.%1").arg(i))
                        : entry("?", "");
        const QStringList entries = read(page);
        QCOMPARE(entries.size(), MaxPageEntries);
        QCOMPARE(entries.at(49), QStringLiteral("unknown-50||²"));
        QCOMPARE(entries.last(), QStringLiteral("unknown-200||²"));
    }
};

QTEST_APPLESS_MAIN(TestPageReader)
#include "test_page_reader.moc"
