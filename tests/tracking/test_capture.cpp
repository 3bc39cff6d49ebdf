#include "LinesWithCrLf.h"
#include "StandInTracking.h"
#include "TempProgramFolder.h"
#include "common/AnsiText.h"
#include "tracking/ResultBox.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

using trovix::boxText;

namespace {

const QString start = QStringLiteral("时间地点和跟踪进度");
const QString end = QStringLiteral(" 收藏本站，方便下次查询");
const QString crLf = QStringLiteral("\r\n");

QString page(const QStringList& lines)
{
    return lines.join(crLf);
}

// The widgets and seams one capture works on, as the main window hands them over.
struct Bench : StandInTracking {
    explicit Bench(const QString& programFolder = QString())
        : StandInTracking(programFolder), finished(session.get(), &trovix::TrackingSession::captureFinished)
    {
    }

    // Lets the capture timer expire and waits for the capture it starts.
    bool expireAndCapture()
    {
        const qsizetype before = finished.size();
        timer1.start(0);
        return finished.wait() && finished.size() == before + 1;
    }

    QSignalSpy finished;
    trovix::PageTextBuffer& rawPageBox = *widgets.richTextBox2;
    QTextEdit& resultBox = *widgets.richTextBox3;
    QTimer& timer1 = *widgets.timer1;
};

} // namespace

class TestCapture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boxTextHasCrLfLineEnds_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("read");

        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("one empty line") << "\r\n"
                                        << "\r\n";
        QTest::newRow("two lines") << "a\r\nb"
                                   << "a\r\nb";
        QTest::newRow("trailing line end") << "a\r\nb\r\n"
                                           << "a\r\nb\r\n";
        QTest::newRow("empty lines kept") << "\r\n\r\na\r\n\r\n"
                                          << "\r\n\r\na\r\n\r\n";
        QTest::newRow("lone line feed") << "a\nb"
                                        << "a\r\nb";
        QTest::newRow("lone carriage return") << "a\rb"
                                              << "a\r\nb";
        QTest::newRow("carriage return before CR LF") << "a\r\r\nb"
                                                      << "a\r\n\r\nb";
        QTest::newRow("no-break space kept") << "a\u00a0b"
                                             << "a\u00a0b";
    }

    void boxTextHasCrLfLineEnds()
    {
        QFETCH(QString, written);
        QFETCH(QString, read);
        QTextEdit box;
        trovix::setBoxText(&box, written);
        QCOMPARE(boxText(&box), read);
    }

    void appendingKeepsWhatTheBoxHad()
    {
        QTextEdit box;
        trovix::setBoxText(&box, QStringLiteral("old"));
        trovix::appendToBox(&box, QStringLiteral("er\r\nline\r\n"));
        QCOMPARE(boxText(&box), QStringLiteral("older\r\nline\r\n"));

        // A line break typed as Shift+Enter stays inside its paragraph.
        QTest::keyClick(&box, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(boxText(&box), QStringLiteral("older\r\nline\r\n\r\n"));
    }

    void historyIsCutOutBetweenTheLastMarkers_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("pageLines");
        QTest::addColumn<QStringList>("appended");
        QTest::addColumn<bool>("sorry");

        const QString h1 = QStringLiteral("2024-03-01 08:12:45 上海市浦东新区公司 已收件");
        const QString h2 = QStringLiteral("2024-03-02 17:03:19 北京市海淀区营业部 派件中");
        const QString top = QStringLiteral("首页 | 快递查询 | 网点查询");
        const QString bottom = QStringLiteral("Copyright 2024");

        QTest::newRow("example page")
            << "" << QStringList{top, start, h1, h2, end, bottom} << QStringList{h1, h2} << false;
        QTest::newRow("one empty line found")
            << "" << QStringList{start, u""_s, end} << QStringList{u""_s} << true;
        QTest::newRow("no markers") << "" << QStringList{top, h1, bottom} << QStringList{} << false;
        QTest::newRow("only the start marker")
            << "" << QStringList{top, start, h1, bottom} << QStringList{} << false;
        QTest::newRow("only the end marker")
            << "" << QStringList{top, h1, h2, end, bottom} << QStringList{h1, h2} << false;
        QTest::newRow("only the end marker, at line 1")
            << "" << QStringList{top, end, h1} << QStringList{} << false;
        QTest::newRow("only the end marker, at line 0")
            << "" << QStringList{end, h1} << QStringList{} << false;
        QTest::newRow("end before start")
            << "" << QStringList{top, end, h1, start, bottom} << QStringList{} << false;
        QTest::newRow("markers next to each other")
            << "" << QStringList{top, start, end} << QStringList{} << false;
        QTest::newRow("repeated markers, last of each wins")
            << "" << QStringList{top, start, u"old"_s, start, h1, end, h2, end, bottom}
            << QStringList{h1, end, h2} << false;
        QTest::newRow("end marker without its leading blank")
            << "" << QStringList{top, start, h1, QStringLiteral("收藏本站，方便下次查询"), bottom}
            << QStringList{} << false;
        QTest::newRow("start marker with a trailing blank is no marker")
            << "" << QStringList{top, start + u" "_s, h1, end} << QStringList{start + u" "_s, h1} << false;
        QTest::newRow("empty lines between kept")
            << "" << QStringList{top, start, h1, u""_s, h2, end} << QStringList{h1, u""_s, h2} << false;
        QTest::newRow("no document") << "" << QStringList{} << QStringList{} << false;
        QTest::newRow("appends to what the box had")
            << "earlier\r\n"
            << QStringList{top, start, h1, end} << QStringList{u"earlier"_s, h1} << false;
        QTest::newRow("box already one empty line, nothing found")
            << "\r\n"
            << QStringList{top} << QStringList{u""_s} << true;
        QTest::newRow("one more empty line is no longer sorry")
            << "\r\n"
            << QStringList{start, QString(), end} << QStringList{QString(), QString()} << false;
    }

    void historyIsCutOutBetweenTheLastMarkers()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, pageLines);
        QFETCH(QStringList, appended);
        QFETCH(bool, sorry);

        Bench bench;
        QVERIFY(bench.timer1.isSingleShot());
        trovix::setBoxText(&bench.resultBox, before);
        bench.browser.bodyText = page(pageLines);

        QVERIFY(bench.expireAndCapture());

        QCOMPARE(bench.rawPageBox.text(), page(pageLines));
        QCOMPARE(boxText(&bench.resultBox), linesWithCrLf(appended));
        QCOMPARE(bench.prompter.asked.size(), sorry ? 1 : 0);
        if (sorry) {
            const trovix::MessageBoxRequest& box = bench.prompter.asked.first();
            QCOMPARE(box.text, QStringLiteral(
                                   "查询未果!\r\n1.可能是系统繁忙，请稍后再试或者将延迟时间设置的大点！\r\n2."
                                   "可能是单号错误或者无此单号，请认真核对！"));
            QCOMPARE(box.caption, QStringLiteral("sorry"));
            QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QCOMPARE(box.icon, QMessageBox::NoIcon);
        }
        QVERIFY(!bench.timer1.isActive());
    }

    void scratchFileLivesOnlyDuringTheCapture()
    {
        TempProgramFolder folder;
        const QString scratch = folder.file(QStringLiteral("temp.txt"));
        {
            QFile stale(scratch);
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write(QByteArray(100000, 'x'));
        }
        Bench bench(folder.path());
        bench.browser.bodyText = page({QStringLiteral("上海 ABC"), start, QString(), end});
        QByteArray duringTheBox;
        bench.prompter.whileOpen = [&] {
            QFile file(scratch);
            if (file.open(QIODevice::ReadOnly))
                duringTheBox = file.readAll();
        };

        QVERIFY(bench.expireAndCapture());

        QCOMPARE(bench.prompter.asked.size(), 1);
        QCOMPARE(duringTheBox, trovix::ansi::encode(bench.browser.bodyText));
        QVERIFY(!QFile::exists(scratch));
    }

    void unwritableProgramFolderStillCaptures_data()
    {
        // Tests run as root, whom folder permissions do not stop: these places refuse a new
        // file to anyone.
        QTest::addColumn<QString>("programFolder");
        QTest::newRow("folder path that is a regular file") << "regular-file";
        QTest::newRow("folder under /proc") << "/proc/trovix-no-such-folder";
        QTest::newRow("missing folder") << "no-such-folder";
    }

    void unwritableProgramFolderStillCaptures()
    {
        QFETCH(QString, programFolder);
        TempProgramFolder folder;
        const QString regularFile = folder.file(QStringLiteral("regular-file"));
        {
            QFile file(regularFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("kept");
        }
        if (!programFolder.startsWith(u'/'))
            programFolder = folder.file(programFolder);

        Bench bench(programFolder);
        const QString h1 = QStringLiteral("2024-03-01 08:12:45 上海市 已收件 𠀀");
        bench.browser.bodyText = page({QStringLiteral("top"), start, h1, end});

        QVERIFY(bench.expireAndCapture());

        QCOMPARE(boxText(&bench.resultBox), h1 + crLf);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("regular-file")});
        QFile file(regularFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("kept"));
    }

    void pagesBeyond32767LinesAreCapturedWhole()
    {
        QStringList lines;
        for (int i = 0; i < 35000; ++i)
            lines.append(QStringLiteral("advert line %1").arg(i));
        QStringList history;
        for (int i = 0; i < 40000; ++i)
            history.append(QStringLiteral("2024-03-01 08:12:%1 第%2站 运输中").arg(i % 60).arg(i));
        lines.append(start);
        lines.append(history);
        lines.append(end);
        lines.append(QStringLiteral("footer"));

        Bench bench;
        bench.browser.bodyText = page(lines);

        QVERIFY(bench.expireAndCapture());
        QCOMPARE(boxText(&bench.resultBox), linesWithCrLf(history));
    }

    void expiryDuringACaptureRunsNoSecondOnTop_data()
    {
        QTest::addColumn<bool>("expiresWhileOpen");
        QTest::addColumn<bool>("activeAfterwards");
        QTest::addColumn<int>("readsAfterwards");

        // A held-back expiry runs once, right after the first capture.
        QTest::newRow("timer expires while the box is open") << true << false << 2;
        // A countdown started meanwhile is a new request, left to run.
        QTest::newRow("timer started while the box is open") << false << true << 1;
    }

    void expiryDuringACaptureRunsNoSecondOnTop()
    {
        QFETCH(bool, expiresWhileOpen);
        QFETCH(bool, activeAfterwards);
        QFETCH(int, readsAfterwards);

        Bench bench;
        bench.browser.bodyText = page({start, u""_s, end});
        int readsWhileOpen = -1;
        bench.prompter.whileOpen = [&] {
            if (expiresWhileOpen) {
                QSignalSpy expired(&bench.timer1, &QTimer::timeout);
                bench.timer1.start(0);
                QVERIFY(expired.wait());
            } else {
                bench.timer1.start(60000);
            }
            readsWhileOpen = bench.browser.bodyTextReads;
        };

        bench.timer1.start(0);
        QTRY_COMPARE(bench.browser.bodyTextReads, readsAfterwards);
        QTRY_COMPARE(bench.finished.size(), readsAfterwards);

        QCOMPARE(readsWhileOpen, 1);
        QCOMPARE(bench.prompter.asked.size(), 1);
        QCOMPARE(bench.timer1.isActive(), activeAfterwards);
        QCOMPARE(boxText(&bench.resultBox), QString(crLf).repeated(readsAfterwards));
        QVERIFY(!QFile::exists(bench.folder.file(QStringLiteral("temp.txt"))));
    }

    void expiryWhileThePageIsReadIsHeldBack()
    {
        Bench bench;
        bench.browser.delivery = FakeBrowser::Delivery::Queued;
        bench.browser.bodyText = page({start, QStringLiteral("h"), end});

        bench.session->capture().capture();
        bench.session->capture().capture();
        bench.session->capture().capture();
        QCOMPARE(bench.browser.bodyTextReads, 1);

        QTRY_COMPARE(bench.finished.size(), 2);
        QCOMPARE(bench.browser.bodyTextReads, 2);
        QCOMPARE(boxText(&bench.resultBox), QStringLiteral("h\r\nh\r\n"));
    }

    void captureGoneWhileSorryBoxIsOpen()
    {
        Bench bench;
        bench.browser.bodyText = page({start, u""_s, end});
        bench.prompter.whileOpen = [&] { bench.session.reset(); };

        bench.timer1.start(0);
        QTRY_COMPARE(bench.prompter.asked.size(), 1);
        QVERIFY(!bench.session);
        QVERIFY(!QFile::exists(bench.folder.file(QStringLiteral("temp.txt"))));
    }

    void captureGoneBeforeThePageArrives()
    {
        Bench bench;
        bench.browser.delivery = FakeBrowser::Delivery::Queued;
        bench.browser.bodyText = page({start, QStringLiteral("h"), end});

        bench.session->capture().capture();
        bench.session.reset();
        QTRY_COMPARE(bench.browser.bodyTextReads, 1);
        QCoreApplication::processEvents();
        QCOMPARE(boxText(&bench.resultBox), QString());
    }
};

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
