#include "store/time_text.h"

#include <QTest>

using namespace amiscan;

class TestTimeText : public QObject
{
    Q_OBJECT

private slots:
    void stampsAreTwoDigitsWithFixedSeparators()
    {
        const QDateTime morning(QDate(2012, 10, 5), QTime(7, 3, 59));
        QCOMPARE(formatStamp(morning), QStringLiteral("05/10/12 07:03"));
        QCOMPARE(formatScanStamp(QDateTime(QDate(2012, 12, 5), QTime(14, 7))),
                 QStringLiteral("05/12 - 14:07"));
        QCOMPARE(formatStamp(QDateTime(QDate(2100, 1, 31), QTime(23, 59))),
                 QStringLiteral("31/01/00 23:59"));
        QCOMPARE(EmptyStamp.size(), formatStamp(morning).size());
        QCOMPARE(EmptyLength.size(), formatLength(0).size());
    }

    void lengthsDropWholeDays()
    {
        QCOMPARE(formatLength(0), QStringLiteral("00:00"));
        QCOMPARE(formatLength(59), QStringLiteral("00:59"));
        QCOMPARE(formatLength(23 * 60 + 59), QStringLiteral("23:59"));
        QCOMPARE(formatLength(24 * 60), QStringLiteral("00:00"));
        QCOMPARE(formatLength(25 * 60 + 5), QStringLiteral("01:05"));
        QCOMPARE(formatLength(-1), EmptyLength);
    }

    void stampsReadBackAsDayMonthYear()
    {
        const auto read = [](const char *text) { return readStamp(QString::fromUtf8(text)); };
        const std::optional<WallSeconds> base = read("03/04/12 10:00");
        QVERIFY(base);
        // 3 April, not 4 March: one day (not a month) before 4 April.
        QCOMPARE(*read("04/04/12 10:00") - *base, 24 * 3600);
        QCOMPARE(*read("03/04/12 10:01") - *base, 60);
        QCOMPARE(*read("31/12/99 23:59") - *read("01/01/00 00:00"),
                 (QDate(2000, 1, 1).daysTo(QDate(2099, 12, 31)) * 24 * 60 + 23 * 60 + 59) * 60);
        QCOMPARE(*base, wallSeconds(QDateTime(QDate(2012, 4, 3), QTime(10, 0))));
        QCOMPARE(wallSeconds(QDateTime(QDate(2012, 4, 3), QTime(10, 0, 59))) - *base, 59);

        // Written by the program itself on systems with other separators, or padded with blanks.
        QCOMPARE(read("03.04.12 10.00"), base);
        QCOMPARE(read("03-04-12 10:00"), base);
        QCOMPARE(read(" 3/4/12 10:00  "), base);
    }

    void unreadableStamps()
    {
        for (const char *text :
             {"", ".. .. .. .. ..", "garbage", "32/01/12 10:00", "29/02/13 10:00", "01/13/12 10:00",
              "01/01/12 24:00", "01/01/12 10:60", "01/01/2012 10:00", "01/01/12",
              "01/01/12 10:00:30", "01/01/12 1:0"})
            QVERIFY2(!readStamp(QString::fromUtf8(text)), text);
        QVERIFY(readStamp(u"29/02/12 10:00"));
    }
};

QTEST_APPLESS_MAIN(TestTimeText)
#include "test_time_text.moc"
