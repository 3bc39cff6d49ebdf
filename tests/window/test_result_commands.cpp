#include "FileBytes.h"
#include "Recorders.h"
#include "RecordingPrompter.h"
#include "WriteFile.h"
#include "window/ClickableLabel.h"
#include "window/ResultCommands.h"

#include "common/Configuration.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

using namespace Qt::StringLiterals;

using namespace trovix;

class ResultCommandsTest : public QObject {
    Q_OBJECT

    struct Fixture {
        QLineEdit text1;
        QTextEdit richTextBox3;
        QPushButton command2, command3, command4;
        ClickableLabel label13{QStringLiteral("点击访问我的博客")};
        ScriptedSaveFileChooser chooser;
        RecordingPrompter prompter;
        RecordingUrlOpener opener;
        QTemporaryDir folder;
        ResultCommands commands{{&text1, &richTextBox3, &command2, &command3, &command4, &label13},
                                chooser,
                                prompter,
                                ProgramFolder(folder.path())};
    };

private Q_SLOTS:
    void saveDialogIsSetUpAsDesigned()
    {
        Fixture f;
        f.command3.click();
        QCOMPARE(f.chooser.shown.size(), 1);
        const SaveDialogSettings& s = f.chooser.shown.first();
        QCOMPARE(s.title, QStringLiteral("保存为"));
        QCOMPARE(s.folder, f.folder.path());
        QCOMPARE(s.nameFilters, (QStringList{u"文本文件(*.txt)"_s, u"所有文件(*.*)"_s}));
        QCOMPARE(s.selectedFilter, 0);
        QCOMPARE(s.defaultSuffix, QStringLiteral("txt"));
    }

    void savedFileHoldsTheTextThenCrLf_data()
    {
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty box") << QString() << QByteArray("\r\n");
        QTest::newRow("several lines")
            << QStringLiteral("a 1\r\nb 2\r\n") << QByteArray("a 1\r\nb 2\r\n\r\n");
        // GB18030 equals code page 936 here: two bytes a Chinese character.
        QTest::newRow("chinese") << QStringLiteral("已签收\r\n")
                                 << QByteArray("\xD2\xD1\xC7\xA9\xCA\xD5\r\n\r\n");
    }

    void savedFileHoldsTheTextThenCrLf()
    {
        QFETCH(QString, boxText);
        QFETCH(QByteArray, expected);
        Fixture f;
        QString plain = boxText;
        f.richTextBox3.setPlainText(plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        f.chooser.answer = f.folder.filePath(QStringLiteral("result.txt"));
        f.command3.click();
        QCOMPARE(fileBytes(f.chooser.answer), expected);
        QVERIFY(f.prompter.asked.isEmpty());
    }

    void existingFileIsReplacedAndCancelWritesNothing()
    {
        Fixture f;
        const QString path = f.folder.filePath(QStringLiteral("old.txt"));
        QVERIFY(writeFile(path, "previous content that is longer"));
        f.richTextBox3.setPlainText(QStringLiteral("new"));
        f.chooser.answer.clear();
        f.command3.click();
        QCOMPARE(fileBytes(path), QByteArray("previous content that is longer"));
        f.chooser.answer = path;
        f.command3.click();
        QCOMPARE(fileBytes(path), QByteArray("new\r\n"));
        QVERIFY(f.prompter.asked.isEmpty());
    }

    void unwritableFileIsReportedAndNothingElseChanges()
    {
        Fixture f;
        f.richTextBox3.setPlainText(QStringLiteral("kept"));
        f.chooser.answer = f.folder.filePath(QStringLiteral("no/such/folder/result.txt"));
        f.command3.click();
        QCOMPARE(f.prompter.asked.size(), 1);
        QVERIFY(f.prompter.asked.first().text.contains(f.chooser.answer));
        QCOMPARE(f.richTextBox3.toPlainText(), QStringLiteral("kept"));
    }

    void clearCommandsEmptyTheirBoxes()
    {
        Fixture f;
        f.text1.setText(QStringLiteral("123"));
        f.richTextBox3.setPlainText(QStringLiteral("history"));
        f.command2.click();
        QVERIFY(f.text1.text().isEmpty());
        QCOMPARE(f.richTextBox3.toPlainText(), QStringLiteral("history"));
        f.command4.click();
        QVERIFY(f.richTextBox3.toPlainText().isEmpty());
        f.command2.click();
        f.command4.click();
        QVERIFY(f.text1.text().isEmpty());
    }

    void blogLinkOpensTheHomePage()
    {
        Fixture f;
        QTest::mouseClick(&f.label13, Qt::LeftButton);
        QCOMPARE(f.opener.opened, QStringList{config::homePage()});
    }
};

QTEST_MAIN(ResultCommandsTest)
#include "test_result_commands.moc"
