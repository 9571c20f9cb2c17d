// The settings file: our reader and writer of the initialisation form, and its keys.
#include "store/profile_file.h"
#include "store/settings_file.h"
#include "file_faults.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace amiscan;
using namespace amiscan::testing;

namespace {

settings::Values sampleValues()
{
    return {"1", "0", "ann", "secret", "15", "1", "0", "1", "0", "1", "1"};
}

const QByteArray SampleFile = "[Parameters]\r\n"
                              "AutoStart=1\r\n"
                              "AutoHide=0\r\n"
                              "UserName=ann\r\n"
                              "UserPw=secret\r\n"
                              "ScanTimer=15\r\n"
                              "TimerOn=1\r\n"
                              "Filter=0\r\n"
                              "FriendsOff=1\r\n"
                              "DisplayUser=0\r\n"
                              "MinimizeIcon=1\r\n"
                              "NotifyOnline=1\r\n";

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void newFile_holdsTheKeysInOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        QVERIFY(settings::writeFile(path, sampleValues()));
        QCOMPARE(fileBytes(path), SampleFile);
        // The password is in plain text: the file is its owner's alone.
        QCOMPARE(QFileInfo(path).permissions() & 0xF0FF,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void existingFile_isMadeTheOwnersAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        QVERIFY(writeBytes(path, SampleFile));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther));
        QVERIFY(settings::writeFile(path, sampleValues()));
        QCOMPARE(QFileInfo(path).permissions() & 0xF0FF,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void readBack_givesTheValuesAndTheServiceUrl()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        QVERIFY(writeBytes(path, SampleFile + "ServiceUrl=http://127.0.0.1:8080\r\n"));
        const settings::ReadResult read = settings::readFile(path);
        QVERIFY(read.exists);
        QVERIFY(read.readable);
        QCOMPARE(read.values, sampleValues());
        QCOMPARE(read.serviceUrl, QStringLiteral("http://127.0.0.1:8080"));
        QVERIFY(!settings::readFile(dir.filePath(QStringLiteral("none.ini"))).exists);
    }

    void flags_acceptOnlyZeroOrOneExactly()
    {
        QCOMPARE(settings::acceptedFlag("0"), std::optional<bool>(false));
        QCOMPARE(settings::acceptedFlag("1"), std::optional<bool>(true));
        for (const char *other : {"", "2", "01", "yes", "true", " 1", "1.0"})
            QVERIFY2(!settings::acceptedFlag(QString::fromLatin1(other)), other);
    }

    void reading_ignoresCaseBlanksAndOnePairOfQuotes()
    {
        const ProfileFile profile(QStringLiteral("; a comment\r\n"
                                                 "  [ parameters ]  \r\n"
                                                 "username =   Ann Lee  \r\n"
                                                 "USERPW=\"  spaced  \"\r\n"
                                                 "ScanTimer='\"5\"'\r\n"
                                                 "Filter=\"1\r\n"
                                                 "NoEquals\r\n"
                                                 "[Other]\r\n"
                                                 "AutoStart=1\r\n"));
        QCOMPARE(profile.value("Parameters", "UserName"), QStringLiteral("Ann Lee"));
        QCOMPARE(profile.value("Parameters", "UserPw"), QStringLiteral("  spaced  "));
        QCOMPARE(profile.value("Parameters", "ScanTimer"), QStringLiteral("\"5\""));
        QCOMPARE(profile.value("Parameters", "Filter"), QStringLiteral("\"1"));
        // Keys of another section do not count.
        QCOMPARE(profile.value("Parameters", "AutoStart"), QString());
        QCOMPARE(profile.value("Other", "autostart"), QStringLiteral("1"));
    }

    void values_areCutAt254Characters()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        QVERIFY(writeBytes(path, "[Parameters]\r\nUserName=" + QByteArray(300, 'n') + "\r\n"));
        QCOMPARE(settings::readFile(path).values[settings::UserName], QString(254, u'n'));
    }

    void missingAndEmptyKeys_readAsEmptyTexts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        QVERIFY(writeBytes(path, "[Parameters]\r\nUserName=\r\n"));
        const settings::ReadResult read = settings::readFile(path);
        for (const QString &value : read.values)
            QVERIFY(value.isEmpty());
    }

    void writing_keepsEveryOtherLineAndUpdatesInPlace()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        QVERIFY(writeBytes(path, "; kept comment\r\n"
                                 "[Other]\r\n"
                                 "AutoStart=keep me\r\n"
                                 "\r\n"
                                 "[PARAMETERS]\r\n"
                                 "serviceurl = http://127.0.0.1:9\r\n"
                                 "username=old\r\n"
                                 "; inside\r\n"
                                 "Unknown=x\r\n"
                                 "\r\n"
                                 "[Last]\r\n"
                                 "k=v\n"));
        QVERIFY(settings::writeFile(path, sampleValues()));
        QCOMPARE(fileBytes(path), QByteArray("; kept comment\r\n"
                                             "[Other]\r\n"
                                             "AutoStart=keep me\r\n"
                                             "\r\n"
                                             "[PARAMETERS]\r\n"
                                             "serviceurl = http://127.0.0.1:9\r\n"
                                             "UserName=ann\r\n"
                                             "; inside\r\n"
                                             "Unknown=x\r\n"
                                             "AutoStart=1\r\n"
                                             "AutoHide=0\r\n"
                                             "UserPw=secret\r\n"
                                             "ScanTimer=15\r\n"
                                             "TimerOn=1\r\n"
                                             "Filter=0\r\n"
                                             "FriendsOff=1\r\n"
                                             "DisplayUser=0\r\n"
                                             "MinimizeIcon=1\r\n"
                                             "NotifyOnline=1\r\n"
                                             "\r\n"
                                             "[Last]\r\n"
                                             "k=v\r\n"));
        QCOMPARE(settings::readFile(path).serviceUrl, QStringLiteral("http://127.0.0.1:9"));
    }

    void missingSection_isAddedAtTheEnd()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        QVERIFY(writeBytes(path, "[Other]\r\nx=1\r\n"));
        QVERIFY(settings::writeFile(path, sampleValues()));
        QCOMPARE(fileBytes(path), "[Other]\r\nx=1\r\n" + SampleFile);
    }

    void awkwardValues_readBackExactly_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("UTF-8 behind its mark")
            << QStringLiteral("Ёлка²")
            << QByteArray("\xEF\xBB\xBF[Parameters]\r\nAutoStart=1\r\n"
                          "AutoHide=0\r\nUserName=\xD0\x81\xD0\xBB\xD0"
                          "\xBA\xD0\xB0\xC2\xB2\r\n");
        QTest::newRow("Windows-1252")
            << QStringLiteral("José²") << QByteArray("UserName=Jos\xE9\xB2\r\n");
        // Bytes that also form UTF-8 stay Windows-1252.
        QTest::newRow("Windows-1252 like UTF-8")
            << QStringLiteral("Ã©") << QByteArray("UserName=\xC3\xA9\r\n");
        QTest::newRow("quotes and blanks")
            << QStringLiteral(" \"pass word\" ") << QByteArray("UserName=\" \"pass word\" \"\r\n");
        QTest::newRow("quoted") << QStringLiteral("'2.5'") << QByteArray("UserName=\"'2.5'\"\r\n");
        // Only blanks are dropped around a value: other spaces belong to it.
        QTest::newRow("other spaces")
            << QStringLiteral("\tpw\u00A0") << QByteArray("UserName=\tpw\xA0\r\n");
        QTest::newRow("254 characters in 255 units")
            << QString(253, u'a') + QStringLiteral("\U0001F600")
            << QByteArray("UserName=") + QByteArray(253, 'a') + "\xF0\x9F\x98\x80\r\n";
    }

    void awkwardValues_readBackExactly()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, stored);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        settings::Values values = sampleValues();
        values[settings::UserName] = value;
        QVERIFY(settings::writeFile(path, values));
        QVERIFY(fileBytes(path).contains(stored));
        QCOMPARE(settings::readFile(path).values, values);
        // Written again from what was read: the same bytes.
        const QByteArray written = fileBytes(path);
        QVERIFY(settings::writeFile(path, settings::readFile(path).values));
        QCOMPARE(fileBytes(path), written);
    }

    void lineBreakInAValue_cannotAddAKey()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        settings::Values values = sampleValues();
        values[settings::UserPw] = QStringLiteral("a\r\nServiceUrl=http://elsewhere");
        QVERIFY(settings::writeFile(path, values));
        QVERIFY(settings::readFile(path).serviceUrl.isEmpty());
    }

    void failedWrite_leavesTheOldFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        const QByteArray old = "; mine\r\n[Parameters]\r\nUserName=old\r\n";
        QVERIFY(writeBytes(path, old));
        settings::Values values = sampleValues();
        values[settings::UserPw] = QString(4000, u'p');
        bool written = true;
        {
            FileSizeLimit fullDisk(512);
            QVERIFY(fullDisk.active());
            written = settings::writeFile(path, values);
        }
        QVERIFY(!written);
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Amiscan.ini"});
    }

    void unreadableFile_isNeverWrittenOver()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Amiscan.ini"));
        QVERIFY(makeUnreadableEntry(path));
        const settings::ReadResult read = settings::readFile(path);
        QVERIFY(read.exists);
        QVERIFY(!read.readable);
        QVERIFY(!settings::writeFile(path, sampleValues()));
        QVERIFY(!QFileInfo(path).isFile()); // still the entry it was
        QVERIFY(QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
