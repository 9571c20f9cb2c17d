// The encoding rule of the two files: Windows-1252, or UTF-8 behind its mark when a character
// needs it.
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

    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("1252") << QStringLiteral("a\u00B2") << QByteArray("a\xB2");
        QTest::newRow("1252 that is valid UTF-8")
            << QStringLiteral("Jos\u00C3\u00A9") << QByteArray("Jos\xC3\xA9");
        QTest::newRow("UTF-8 behind its mark")
            << QStringLiteral("\u00B2 \u0416") << QByteArray("\xEF\xBB\xBF\xC2\xB2 \xD0\x96");
        // In Windows-1252 this text would start with the mark's bytes.
        QTest::newRow("1252 that looks marked")
            << QStringLiteral("\u00EF\u00BB\u00BFx")
            << QByteArray("\xEF\xBB\xBF\xC3\xAF\xC2\xBB\xC2\xBFx");
        QTest::newRow("a mark in the text")
            << QStringLiteral("\uFEFFx\u0416") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx\xD0\x96");
    }

    // Every text is written so that it reads back as itself.
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encodeFileText(text), bytes);
        QCOMPARE(decodeFileText(bytes), text);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << QByteArray("plain") << QStringLiteral("plain");
        // Files without the mark are Windows-1252 even when their bytes form UTF-8.
        QTest::newRow("unmarked UTF-8")
            << QByteArray("\xC2\xB2\xD0\x96") << QStringLiteral("\u00C2\u00B2\u00D0\u2013");
        QTest::newRow("marked") << QByteArray("\xEF\xBB\xBFhi\xC3\xA9")
                                << QStringLiteral("hi\u00E9");
        QTest::newRow("marked, damaged") << QByteArray("\xEF\xBB\xBF\xC3(\xC0\xAF\xC3")
                                         << QStringLiteral("\uFFFD(\uFFFD\uFFFD\uFFFD");
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeFileText(bytes), text);
        QCOMPARE(decodeFileText(encodeFileText(text)), text);
    }
};

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "test_text_encoding.moc"
