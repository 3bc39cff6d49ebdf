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
        // The expected value defaults to none.
        const auto row = [](const char* name, const char* content, const char* expected = "") {
            QTest::newRow(name) << QByteArray(content) << QByteArray(expected);
        };
        row("plain", "[Ver]\r\nnew=1.3\r\n", "1.3");
        row("missing section", "[Other]\r\nnew=1.3\r\n");
        row("missing key", "[Ver]\r\nold=1.3\r\n");
        row("LF lines, no final break", "[Ver]\nnew=1.3", "1.3");
        row("blanks around everything", "  [Ver]  \r\n\t new \t=  1.3  \r\n", "1.3");
        row("trailing blank", "[Ver]\r\nnew=1.3 \r\n", "1.3");
        row("blanks inside brackets", "[ Ver ]\r\nnew=1.3\r\n", "1.3");
        row("names in any case", "[vER]\r\nNeW=1.3\r\n", "1.3");
        row("comment lines", "; server\r\n[Ver]\r\n;new=9.9\r\n  ; x\r\nnew=1.3\r\n", "1.3");
        row("semicolon inside a value is kept", "[Ver]\r\nnew=1.3 ; stable\r\n", "1.3 ; stable");
        row("double quotes removed, inner blank kept", "[Ver]\r\nnew=\" 1.3 \"\r\n", " 1.3 ");
        row("unmatched quote kept", "[Ver]\r\nnew=\"1.3'\r\n", "\"1.3'");
        row("first key wins", "[Ver]\r\nnew=1\r\nnew=2\r\n", "1");
        row("first section wins", "[Ver]\r\na=1\r\n[Ver]\r\nnew=2\r\n");
        row("line before any section", "new=1.3\r\n[Ver]\r\n");
        row("unclosed header is no section", "[Ver\r\nnew=1.3\r\n");
        row("empty value", "[Ver]\r\nnew=\r\n");
        row("ANSI value", "[Ver]\r\nnew=\xb0\xe6\xb1\xbe 2\r\n", "\xb0\xe6\xb1\xbe 2");
        // "乚" is 81 5D in GB18030: its trail byte is not the header's closing bracket.
        row("trail byte looking like ]", "[Ver]\x81\x5d\r\nnew=1.3\r\n", "1.3");
        row("UTF-8 byte-order mark", "\xEF\xBB\xBF[Ver]\r\nnew=1.3\r\n", "1.3");
        row("byte-order mark before a comment", "\xEF\xBB\xBF; server\r\n[Ver]\nnew=1.3", "1.3");
        row("byte-order mark only at the start", "[Other]\r\n\xEF\xBB\xBF[Ver]\r\nnew=1.3\r\n");
    }
    void readsLikeTheProfileFunctions()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, expected);
        QCOMPARE(profile::readStringFromContent(content, u"Ver"_s, u"new"_s), expected);
    }

    void cutsLongValuesTo255Bytes()
    {
        const QByteArray value(300, 'x');
        const QByteArray read =
            profile::readStringFromContent("[Ver]\r\nnew=" + value + "\r\n", u"Ver"_s, u"new"_s);
        QCOMPARE(read, value.left(255));
    }

    void missingFileReadsEmpty()
    {
        TempProgramFolder folder;
        QCOMPARE(readRecordedVersion(folder.programFolder()), QByteArray());
        QCOMPARE(readOfferedVersion(folder.programFolder()), QByteArray());
    }

    void readsBothVersionFiles()
    {
        TempProgramFolder folder;
        writeFile(folder.file(u"config.ini"_s), "[Ver]\r\nappver=1.2\r\n");
        writeFile(folder.file(u"update.ini"_s), "[Ver]\r\nnew = 1.3 \r\n");
        QCOMPARE(readRecordedVersion(folder.programFolder()), QByteArray("1.2"));
        QCOMPARE(readOfferedVersion(folder.programFolder()), QByteArray("1.3"));
    }

    void writesOneKeyAndKeepsTheRest_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("empty file") << QByteArray() << QByteArray("[Ver]\r\nappver=1.2\r\n");
        const auto row = [](const char* name, const char* before, const char* after) {
            QTest::newRow(name) << QByteArray(before) << QByteArray(after);
        };
        row("section added after others", "; mine\r\n[Skin]\r\nname=a\r\n",
            "; mine\r\n[Skin]\r\nname=a\r\n[Ver]\r\nappver=1.2\r\n");
        row("unterminated last line", "[Skin]\nname=a", "[Skin]\nname=a\r\n[Ver]\r\nappver=1.2\r\n");
        row("key added at the end of its section", "[Ver]\nnew=3\n; end\n\n[Skin]\n",
            "[Ver]\nnew=3\n; end\nappver=1.2\r\n\n[Skin]\n");
        row("key added to an unterminated section", "[Ver]", "[Ver]\r\nappver=1.2\r\n");
        row("only the value replaced", ";c\r\n[ver]\n  AppVer = 1.1  \n[Other]\nappver=0\n",
            ";c\r\n[ver]\n  AppVer = 1.2  \n[Other]\nappver=0\n");
        row("empty value", "[Ver]\r\nappver=\r\n", "[Ver]\r\nappver=1.2\r\n");
        row("key without =", "[Ver]\r\nappver\r\nx=1\r\n", "[Ver]\r\nappver=1.2\r\nx=1\r\n");
        row("commented key is not the key", "[Ver]\r\n;appver=0.9\r\n",
            "[Ver]\r\n;appver=0.9\r\nappver=1.2\r\n");
        row("byte-order mark kept, its section found", "\xEF\xBB\xBF[Ver]\r\nappver=1.1\r\n",
            "\xEF\xBB\xBF[Ver]\r\nappver=1.2\r\n");
        row("ANSI and stray bytes kept", "[\xb0\xe6]\r\n\xff\xfe\x81=\x01\r\n",
            "[\xb0\xe6]\r\n\xff\xfe\x81=\x01\r\n[Ver]\r\nappver=1.2\r\n");
    }
    void writesOneKeyAndKeepsTheRest()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QByteArray written = profile::writeStringToContent(before, u"Ver"_s, u"appver"_s, "1.2");
        QCOMPARE(written, after);
        QCOMPARE(profile::readStringFromContent(written, u"Ver"_s, u"appver"_s), QByteArray("1.2"));
    }

    void refusesWritesThatWouldAddLines_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("line break in value") << u"Ver"_s << u"appver"_s << QByteArray("1.2\r\n[Evil]");
        QTest::newRow("= in key") << u"Ver"_s << u"app=ver"_s << QByteArray("1.2");
        QTest::newRow("] in section") << u"V]er"_s << u"appver"_s << QByteArray("1.2");
        QTest::newRow("Ctrl-Z the reader trims off a key")
            << u"Ver"_s << u"appver\x1a"_s << QByteArray("1.2");
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
        recordInstalledVersion(folder.programFolder());
        recordInstalledVersion(folder.programFolder());
        QCOMPARE(fileBytes(folder.file(u"config.ini"_s)),
                 QByteArray("; kept\r\n[Ver]\r\nappver=1.2\r\n[Other]\r\nk=v\r\n"));

        TempProgramFolder fresh;
        recordInstalledVersion(fresh.programFolder());
        recordInstalledVersion(fresh.programFolder());
        QCOMPARE(fileBytes(fresh.file(u"config.ini"_s)), QByteArray("[Ver]\r\nappver=1.2\r\n"));
        QCOMPARE(readRecordedVersion(fresh.programFolder()), QByteArray("1.2"));
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
        QTest::newRow("installed version unknown") << QByteArray() << QByteArray("1.2") << false;
        QTest::newRow("installed text no version") << QByteArray("dev") << QByteArray("1.2") << false;
        QTest::newRow("nothing offered") << QByteArray("1.2") << QByteArray() << false;
        QTest::newRow("both empty") << QByteArray() << QByteArray() << false;
    }
    void updatesOnlyToAHigherVersion()
    {
        QFETCH(QByteArray, installed);
        QFETCH(QByteArray, offered);
        QFETCH(bool, update);
        QCOMPARE(isHigherVersion(offered, installed), update);
    }
};

QTEST_GUILESS_MAIN(PrivateProfileTest)
#include "test_private_profile.moc"
