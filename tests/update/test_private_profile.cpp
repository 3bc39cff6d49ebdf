#include "FileBytes.h"
#include "TempProgramFolder.h"
#include "update/PrivateProfile.h"
#include "update/VersionComparison.h"
#include "update/VersionRecord.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

using namespace trovix;

class PrivateProfileTest : public QObject {
    Q_OBJECT

private:
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

private Q_SLOTS:
    void readsLikeTheProfileFunctions_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("plain") << QByteArray("[Ver]\r\nnew=1.3\r\n") << QByteArray("1.3");
        QTest::newRow("missing section") << QByteArray("[Other]\r\nnew=1.3\r\n") << QByteArray();
        QTest::newRow("missing key") << QByteArray("[Ver]\r\nold=1.3\r\n") << QByteArray();
        QTest::newRow("LF lines, no final break") << QByteArray("[Ver]\nnew=1.3") << QByteArray("1.3");
        QTest::newRow("blanks around everything")
            << QByteArray("  [Ver]  \r\n\t new \t=  1.3  \r\n") << QByteArray("1.3");
        QTest::newRow("trailing blank") << QByteArray("[Ver]\r\nnew=1.3 \r\n") << QByteArray("1.3");
        QTest::newRow("blanks inside brackets") << QByteArray("[ Ver ]\r\nnew=1.3\r\n") << QByteArray("1.3");
        QTest::newRow("names in any case") << QByteArray("[vER]\r\nNeW=1.3\r\n") << QByteArray("1.3");
        QTest::newRow("comment lines")
            << QByteArray("; server\r\n[Ver]\r\n;new=9.9\r\n  ; x\r\nnew=1.3\r\n") << QByteArray("1.3");
        QTest::newRow("semicolon inside a value is kept")
            << QByteArray("[Ver]\r\nnew=1.3 ; stable\r\n") << QByteArray("1.3 ; stable");
        QTest::newRow("double quotes removed, inner blank kept")
            << QByteArray("[Ver]\r\nnew=\" 1.3 \"\r\n") << QByteArray(" 1.3 ");
        QTest::newRow("unmatched quote kept")
            << QByteArray("[Ver]\r\nnew=\"1.3'\r\n") << QByteArray("\"1.3'");
        QTest::newRow("first key wins") << QByteArray("[Ver]\r\nnew=1\r\nnew=2\r\n") << QByteArray("1");
        QTest::newRow("first section wins")
            << QByteArray("[Ver]\r\na=1\r\n[Ver]\r\nnew=2\r\n") << QByteArray();
        QTest::newRow("line before any section") << QByteArray("new=1.3\r\n[Ver]\r\n") << QByteArray();
        QTest::newRow("unclosed header is no section") << QByteArray("[Ver\r\nnew=1.3\r\n") << QByteArray();
        QTest::newRow("empty value") << QByteArray("[Ver]\r\nnew=\r\n") << QByteArray();
        QTest::newRow("ANSI value") << QByteArray("[Ver]\r\nnew=\xb0\xe6\xb1\xbe 2\r\n")
                                    << QByteArray("\xb0\xe6\xb1\xbe 2");
        // "乚" is 81 5D in GB18030: its trail byte is not the header's closing bracket.
        QTest::newRow("trail byte looking like ]")
            << QByteArray("[Ver]\x81\x5d\r\nnew=1.3\r\n") << QByteArray("1.3");
        QTest::newRow("UTF-8 byte-order mark")
            << QByteArray("\xEF\xBB\xBF[Ver]\r\nnew=1.3\r\n") << QByteArray("1.3");
        QTest::newRow("byte-order mark before a comment")
            << QByteArray("\xEF\xBB\xBF; server\r\n[Ver]\nnew=1.3") << QByteArray("1.3");
        QTest::newRow("byte-order mark only at the start")
            << QByteArray("[Other]\r\n\xEF\xBB\xBF[Ver]\r\nnew=1.3\r\n") << QByteArray();
    }
    void readsLikeTheProfileFunctions()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, expected);
        QCOMPARE(profile::readStringFromContent(content, QStringLiteral("Ver"), QStringLiteral("new")),
                 expected);
    }

    void cutsLongValuesTo255Bytes()
    {
        const QByteArray value(300, 'x');
        const QByteArray read = profile::readStringFromContent("[Ver]\r\nnew=" + value + "\r\n",
                                                               QStringLiteral("Ver"), QStringLiteral("new"));
        QCOMPARE(read, value.left(255));
    }

    void missingFileReadsEmpty()
    {
        TempProgramFolder folder;
        QCOMPARE(readInstalledVersion(folder.path()), QByteArray());
        QCOMPARE(readOfferedVersion(folder.path()), QByteArray());
    }

    void readsBothVersionFiles()
    {
        TempProgramFolder folder;
        writeFile(folder.file(u"config.ini"_s), "[Ver]\r\nappver=1.2\r\n");
        writeFile(folder.file(u"update.ini"_s), "[Ver]\r\nnew = 1.3 \r\n");
        QCOMPARE(readInstalledVersion(folder.path()), QByteArray("1.2"));
        QCOMPARE(readOfferedVersion(folder.path()), QByteArray("1.3"));
    }

    void writesOneKeyAndKeepsTheRest_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("empty file") << QByteArray() << QByteArray("[Ver]\r\nappver=1.2\r\n");
        QTest::newRow("section added after others")
            << QByteArray("; mine\r\n[Skin]\r\nname=a\r\n")
            << QByteArray("; mine\r\n[Skin]\r\nname=a\r\n[Ver]\r\nappver=1.2\r\n");
        QTest::newRow("unterminated last line")
            << QByteArray("[Skin]\nname=a") << QByteArray("[Skin]\nname=a\r\n[Ver]\r\nappver=1.2\r\n");
        QTest::newRow("key added at the end of its section")
            << QByteArray("[Ver]\nnew=3\n; end\n\n[Skin]\n")
            << QByteArray("[Ver]\nnew=3\n; end\nappver=1.2\r\n\n[Skin]\n");
        QTest::newRow("key added to an unterminated section")
            << QByteArray("[Ver]") << QByteArray("[Ver]\r\nappver=1.2\r\n");
        QTest::newRow("only the value replaced")
            << QByteArray(";c\r\n[ver]\n  AppVer = 1.1  \n[Other]\nappver=0\n")
            << QByteArray(";c\r\n[ver]\n  AppVer = 1.2  \n[Other]\nappver=0\n");
        QTest::newRow("empty value") << QByteArray("[Ver]\r\nappver=\r\n")
                                     << QByteArray("[Ver]\r\nappver=1.2\r\n");
        QTest::newRow("key without =")
            << QByteArray("[Ver]\r\nappver\r\nx=1\r\n") << QByteArray("[Ver]\r\nappver=1.2\r\nx=1\r\n");
        QTest::newRow("commented key is not the key")
            << QByteArray("[Ver]\r\n;appver=0.9\r\n") << QByteArray("[Ver]\r\n;appver=0.9\r\nappver=1.2\r\n");
        QTest::newRow("byte-order mark kept, its section found")
            << QByteArray("\xEF\xBB\xBF[Ver]\r\nappver=1.1\r\n")
            << QByteArray("\xEF\xBB\xBF[Ver]\r\nappver=1.2\r\n");
        QTest::newRow("ANSI and stray bytes kept")
            << QByteArray("[\xb0\xe6]\r\n\xff\xfe\x81=\x01\r\n")
            << QByteArray("[\xb0\xe6]\r\n\xff\xfe\x81=\x01\r\n[Ver]\r\nappver=1.2\r\n");
    }
    void writesOneKeyAndKeepsTheRest()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QByteArray written =
            profile::writeStringToContent(before, QStringLiteral("Ver"), QStringLiteral("appver"), "1.2");
        QCOMPARE(written, after);
        QCOMPARE(profile::readStringFromContent(written, QStringLiteral("Ver"), QStringLiteral("appver")),
                 QByteArray("1.2"));
    }

    void refusesWritesThatWouldAddLines_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("line break in value") << "Ver"
                                             << "appver" << QByteArray("1.2\r\n[Evil]");
        QTest::newRow("= in key") << "Ver"
                                  << "app=ver" << QByteArray("1.2");
        QTest::newRow("] in section") << "V]er"
                                      << "appver" << QByteArray("1.2");
        QTest::newRow("Ctrl-Z the reader trims off a key") << "Ver"
                                                           << "appver\x1a" << QByteArray("1.2");
    }
    void refusesWritesThatWouldAddLines()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, value);
        TempProgramFolder folder;
        const QByteArray before = "[Ver]\r\nappver=1.1\r\n";
        writeFile(folder.file(u"config.ini"_s), before);
        QVERIFY(!profile::writeString(folder.file(u"config.ini"_s), section, key, value));
        QCOMPARE(fileBytes(folder.file(u"config.ini"_s)), before);
    }

    void recordingTwiceLeavesOneKey()
    {
        TempProgramFolder folder;
        writeFile(folder.file(u"config.ini"_s), "; kept\r\n[Ver]\r\nappver=1.1\r\n[Other]\r\nk=v\r\n");
        recordInstalledVersion(folder.path());
        recordInstalledVersion(folder.path());
        QCOMPARE(fileBytes(folder.file(u"config.ini"_s)),
                 QByteArray("; kept\r\n[Ver]\r\nappver=1.2\r\n[Other]\r\nk=v\r\n"));

        TempProgramFolder fresh;
        recordInstalledVersion(fresh.path());
        recordInstalledVersion(fresh.path());
        QCOMPARE(fileBytes(fresh.file(u"config.ini"_s)), QByteArray("[Ver]\r\nappver=1.2\r\n"));
        QCOMPARE(readInstalledVersion(fresh.path()), QByteArray("1.2"));
    }

    void updatesOnlyToAHigherVersion_data()
    {
        QTest::addColumn<QByteArray>("installed");
        QTest::addColumn<QByteArray>("offered");
        QTest::addColumn<bool>("update");
        QTest::newRow("same") << QByteArray("1.2") << QByteArray("1.2") << false;
        QTest::newRow("lower offered") << QByteArray("1.2") << QByteArray("1.1") << false;
        QTest::newRow("lower offered, fewer parts") << QByteArray("1.2.1") << QByteArray("1.2") << false;
        QTest::newRow("higher patch") << QByteArray("1.2") << QByteArray("1.2.1") << true;
        QTest::newRow("higher major") << QByteArray("1.2") << QByteArray("2") << true;
        QTest::newRow("numbers, not bytes") << QByteArray("1.9") << QByteArray("1.10") << true;
        QTest::newRow("numbers, not bytes, lower") << QByteArray("1.10") << QByteArray("1.9") << false;
        QTest::newRow("1.20 is twenty") << QByteArray("1.2") << QByteArray("1.20") << true;
        QTest::newRow("trailing zero part is equal") << QByteArray("1.2") << QByteArray("1.2.0") << false;
        QTest::newRow("leading zeros are equal") << QByteArray("1.2") << QByteArray("01.02") << false;
        QTest::newRow("beyond 64 bits")
            << QByteArray("1.18446744073709551615") << QByteArray("1.18446744073709551616") << true;
        QTest::newRow("beyond 64 bits, lower")
            << QByteArray("1.18446744073709551616") << QByteArray("1.9") << false;
        QTest::newRow("blank is no version") << QByteArray("1.2") << QByteArray("1.3 ") << false;
        QTest::newRow("suffix is no version") << QByteArray("1.2") << QByteArray("1.3beta") << false;
        QTest::newRow("empty part is no version") << QByteArray("1.2") << QByteArray("1..3") << false;
        QTest::newRow("trailing dot is no version") << QByteArray("1.2") << QByteArray("1.3.") << false;
        QTest::newRow("sign is no version") << QByteArray("1.2") << QByteArray("+2") << false;
        QTest::newRow("never recorded") << QByteArray() << QByteArray("1.2") << true;
        QTest::newRow("recorded text no version") << QByteArray("dev") << QByteArray("1.2") << true;
        QTest::newRow("nothing offered") << QByteArray("1.2") << QByteArray() << false;
        QTest::newRow("both empty") << QByteArray() << QByteArray() << false;
    }
    void updatesOnlyToAHigherVersion()
    {
        QFETCH(QByteArray, installed);
        QFETCH(QByteArray, offered);
        QFETCH(bool, update);
        QCOMPARE(updateExists(installed, offered), update);
    }
};

QTEST_GUILESS_MAIN(PrivateProfileTest)
#include "test_private_profile.moc"
