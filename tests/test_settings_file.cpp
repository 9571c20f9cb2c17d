// The settings file: its keys, our reader and writer of its form. Its safe replacement is the
// killed saves' test.
#include "data_table.h"
#include "file_faults.h"
#include "store/profile_file.h"
#include "store/settings_file.h"

#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

// NotifyOnline, of the earlier version, is read but no longer written in "Parameters".
const settings::Values Sample{"1", "0", "ann", "secret", "15", "1", "0", "1", "0", "1", ""};
const QByteArray SampleKeys = "AutoStart=1\r\nAutoHide=0\r\nUserName=ann\r\nUserPw=secret\r\n"
                              "ScanTimer=15\r\nTimerOn=1\r\nFilter=0\r\nFriendsOff=1\r\n"
                              "DisplayUser=0\r\nMinimizeIcon=1\r\n";
const settings::OwnKey OwnKey{"Preferences", "NotifyOnline"};
const QByteArray OwnLines = "[Preferences]\r\nNotifyOnline=1\r\n";
const auto OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        m_path = m_dir.filePath("Amiscan.ini");
        QFile::remove(m_path);
    }

    // The password is in plain text: the file is its owner's alone.
    void writing_keepsOtherLinesInPlace_data()
    {
        addColumns<QByteArray, QByteArray>({"before", "after"});
        addRow("new file", QByteArray(), "[Parameters]\r\n" + SampleKeys + OwnLines);
        addRow("no section", QByteArray("[Other]\r\nx=1\n"),
               "[Other]\r\nx=1\r\n[Parameters]\r\n" + SampleKeys + OwnLines);
        addRow("earlier version", QByteArray("[Parameters]\r\nNotifyOnline=0\r\n"),
               "[Parameters]\r\n" + SampleKeys + OwnLines);
        QTest::newRow("other lines")
            << QByteArray(
                   "; kept\r\n[Other]\r\nAutoStart=keep me\r\n\r\n[PARAMETERS]\r\nserviceurl = "
                   "http://127.0.0.1:9\r\nusername=old\r\nUnknown=x\r\n\r\n[Last]\r\nk=v\n")
            << "; kept\r\n[Other]\r\nAutoStart=keep me\r\n\r\n[PARAMETERS]\r\nserviceurl = "
               "http://127.0.0.1:9\r\nUserName=ann\r\nUnknown=x\r\n" +
                   QByteArray(SampleKeys).remove(SampleKeys.indexOf("UserName"), 14) +
                   "\r\n[Last]\r\nk=v\r\n" + OwnLines;
    }

    void writing_keepsOtherLinesInPlace()
    {
        QFETCH(QByteArray, before);
        if (!before.isEmpty()) {
            QVERIFY(writeBytes(m_path, before));
            QVERIFY(QFile::setPermissions(m_path, OwnerOnly | QFileDevice::ReadGroup |
                                                      QFileDevice::ReadOther));
        }
        QVERIFY(settings::writeFile(m_path, Sample, nullptr, {{OwnKey, "1"}}));
        QTEST(fileBytes(m_path), "after");
        QCOMPARE(QFileInfo(m_path).permissions() & 0xF0FF, OwnerOnly);
        const settings::ReadResult read = settings::readFile(m_path, {OwnKey});
        QVERIFY(read.exists && read.readable);
        QCOMPARE(read.values, Sample);
        QCOMPARE(read.own, QStringList{"1"});
    }

    void reading_ignoresCaseBlanksAndOnePairOfQuotes()
    {
        const ProfileFile profile(QStringLiteral(
            "; a comment\r\n  [ parameters ]  \r\nusername =   Ann Lee  \r\n"
            "USERPW=\"  spaced  \"\r\nScanTimer='\"5\"'\r\nFilter=\"1\r\nNoEquals\r\n"
            "[Other]\r\nAutoStart=1\r\n"));
        QCOMPARE(profile.value("Parameters", "UserName"), QStringLiteral("Ann Lee"));
        QCOMPARE(profile.value("Parameters", "UserPw"), QStringLiteral("  spaced  "));
        QCOMPARE(profile.value("Parameters", "ScanTimer"), QStringLiteral("\"5\""));
        QCOMPARE(profile.value("Parameters", "Filter"), QStringLiteral("\"1"));
        QCOMPARE(profile.value("Parameters", "AutoStart"), QString());
        QCOMPARE(profile.value("Other", "autostart"), QStringLiteral("1"));
        for (const char *flag : {"", "2", "01", "yes", " 1", "1.0"})
            QVERIFY2(!settings::acceptedFlag(QString::fromLatin1(flag)), flag);
        QCOMPARE(settings::acceptedFlag("1"), std::optional<bool>(true));
    }

    void values_readBackExactly_data()
    {
        addColumns<QString, QByteArray>({"value", "stored"});
        addRow("UTF-8 behind its mark", "Ёлка²",
               QByteArray("\xEF\xBB\xBF[Parameters]\r\nAutoStart=1\r\nAutoHide=0\r\nUserName="
                          "\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0\xC2\xB2\r\n"));
        addRow("Windows-1252", "José²", QByteArray("UserName=Jos\xE9\xB2\r\n"));
        addRow("1252 like UTF-8", "Ã©", QByteArray("UserName=\xC3\xA9\r\n"));
        addRow("quotes and blanks", " \"pass word\" ",
               QByteArray("UserName=\" \"pass word\" \"\r\n"));
        // Only blanks are dropped around a value: other spaces belong to it.
        addRow("other spaces", "\tpw\u00A0", QByteArray("UserName=\tpw\xA0\r\n"));
        addRow("254 characters in 255 units", QString(253, u'a') + "\U0001F600",
               "UserName=" + QByteArray(253, 'a') + "\xF0\x9F\x98\x80\r\n");
        // A line break cannot add a key.
        QTest::newRow("line break") << "a\r\nServiceUrl=http://elsewhere"
                                    << QByteArray("UserName=a  ServiceUrl=http://elsewhere\r\n");
    }

    void values_readBackExactly()
    {
        auto [value, stored] = fetch<QString, QByteArray>("value", "stored");
        settings::Values values = Sample;
        values[settings::UserName] = value;
        QVERIFY(settings::writeFile(m_path, values));
        const QByteArray written = fileBytes(m_path);
        QVERIFY2(written.contains(stored), written.constData());
        QVERIFY(settings::readFile(m_path).serviceUrl.isEmpty());
        values[settings::UserName].replace("\r\n", "  ");
        QCOMPARE(settings::readFile(m_path).values, values);
        QVERIFY(settings::writeFile(m_path, settings::readFile(m_path).values));
        QCOMPARE(fileBytes(m_path), written);
    }

    void longValues_areCutAt254Characters()
    {
        QVERIFY(writeBytes(m_path, "[Parameters]\r\nUserName=" + QByteArray(300, 'n') +
                                       "\r\nServiceUrl=http://127.0.0.1:8\r\n"));
        const settings::ReadResult read = settings::readFile(m_path);
        QCOMPARE(read.values[settings::UserName], QString(254, u'n'));
        QCOMPARE(read.serviceUrl, QStringLiteral("http://127.0.0.1:8"));
    }

    // The presence log's days to keep, in a section of its own: none keeps everything.
    void keepDays_inASectionOfItsOwn_data()
    {
        addColumns<QByteArray, int>({"stored", "days"});
        addRow("none", QByteArray(), 0);
        addRow("30 days", QByteArray("[log]\r\nkeepdays = 30\r\n"), 30);
        for (const char *refused : {"0", "-5", "ten", "2147483648"})
            addRow(refused, "[Log]\r\nKeepDays=" + QByteArray(refused) + "\r\n", 0);
    }
    void keepDays_inASectionOfItsOwn()
    {
        auto [stored, days] = fetch<QByteArray, int>("stored", "days");
        QVERIFY(writeBytes(m_path, "[Parameters]\r\n" + SampleKeys + stored));
        QCOMPARE(settings::readFile(m_path).keepDays.value_or(0), days);
        QVERIFY(settings::writeKeepDays(m_path, 7) && settings::writeFile(m_path, Sample));
        QVERIFY(fileBytes(m_path).startsWith("[Parameters]\r\n" + SampleKeys + "[")); // unchanged
        QCOMPARE(settings::readFile(m_path).keepDays, std::optional<int>(7));
    }

    void unreadableFile_isNeverWrittenOver()
    {
        QVERIFY(makeUnreadableEntry(m_path));
        const settings::ReadResult read = settings::readFile(m_path);
        QVERIFY(read.exists && !read.readable);
        QVERIFY(!settings::writeFile(m_path, Sample));
        QVERIFY(QFileInfo::exists(m_path) && !QFileInfo(m_path).isFile());
        QFile::remove(m_path);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
