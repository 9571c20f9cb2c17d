// The encoding rule of the two files: Windows-1252, or UTF-8 when a character needs it.
#include "store/text_encoding.h"

#include <QTest>

using namespace amiscan;

class TestTextEncoding : public QObject
{
    Q_OBJECT

private slots:
    void windows1252_coversEveryByte()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString text = fromWindows1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.at(0x80), QChar(0x20AC));
        QCOMPARE(text.at(0x8A), QChar(0x0160));
        QCOMPARE(text.at(0x92), QChar(0x2019));
        QCOMPARE(text.at(0x9F), QChar(0x0178));
        QCOMPARE(text.at(0xB2), QChar(0x00B2));
        QCOMPARE(text.at(0xFF), QChar(0x00FF));
        QCOMPARE(text.at(0x81), QChar(0x0081)); // unassigned: kept as is
        QByteArray back;
        QVERIFY(toWindows1252(text, back));
        QCOMPARE(back, all);
    }

    void windows1252_refusesWhatItCannotHold()
    {
        QByteArray out;
        QVERIFY(!toWindows1252(QStringLiteral("Ж"), out));
        QVERIFY(!toWindows1252(QString(QChar(0x0080)), out)); // € owns byte 80
        QVERIFY(!toWindows1252(QStringLiteral("\U0001F600"), out));
    }

    void encode_fallsBackToUtf8ForTheWholeText()
    {
        QCOMPARE(encodeFileText(QStringLiteral("a\u00B2")), QByteArray("a\xB2"));
        QCOMPARE(encodeFileText(QStringLiteral("\u00B2 Ж")), QByteArray("\xC2\xB2 \xD0\x96"));
    }

    void decode_takesValidUtf8AsUtf8AndAnythingElseAs1252()
    {
        QCOMPARE(decodeFileText("plain"), QStringLiteral("plain"));
        QCOMPARE(decodeFileText("\xC2\xB2"), QStringLiteral("\u00B2"));
        QCOMPARE(decodeFileText("\xEF\xBB\xBFhi\xC3\xA9"), QStringLiteral("hié")); // BOM dropped
        QCOMPARE(decodeFileText("x\xB2"), QStringLiteral("x\u00B2"));
        // Valid UTF-8 up to a sequence cut off at the very end: the whole text is 1252.
        QCOMPARE(decodeFileText("\xC3\xA9\xC3"), QStringLiteral("Ã©Ã"));
        // Overlong forms are not UTF-8.
        QCOMPARE(decodeFileText("\xC0\xAF"), QStringLiteral("À¯"));
    }
};

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "test_text_encoding.moc"
