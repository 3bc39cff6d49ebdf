#include "FileBytes.h"
#include "LinesWithCrLf.h"
#include "StandInTracking.h"
#include "TempProgramFolder.h"
#include "TrackingBoxes.h"
#include "common/AnsiText.h"
#include "tracking/ResultBox.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

using trovix::boxText;

namespace {

const QString start = u"时间地点和跟踪进度"_s;
const QString end = u" 收藏本站，方便下次查询"_s;
const QString crLf = u"\r\n"_s;

QString page(const QStringList& lines)
{
    return lines.join(crLf);
}

// The widgets and seams one capture works on, as the main window hands them over.
struct Bench : StandInTracking {
    explicit Bench(const std::optional<trovix::ProgramFolder>& programFolder = std::nullopt)
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

        QTest::newRow("empty") << u""_s << u""_s;
        QTest::newRow("one empty line") << u"\r\n"_s << u"\r\n"_s;
        QTest::newRow("two lines") << u"a\r\nb"_s << u"a\r\nb"_s;
        QTest::newRow("trailing line end") << u"a\r\nb\r\n"_s << u"a\r\nb\r\n"_s;
        QTest::newRow("empty lines kept") << u"\r\n\r\na\r\n\r\n"_s << u"\r\n\r\na\r\n\r\n"_s;
        QTest::newRow("lone line feed") << u"a\nb"_s << u"a\r\nb"_s;
        QTest::newRow("lone carriage return") << u"a\rb"_s << u"a\r\nb"_s;
        QTest::newRow("carriage return before CR LF") << u"a\r\r\nb"_s << u"a\r\n\r\nb"_s;
        QTest::newRow("no-break space kept") << u"a\u00a0b"_s << u"a\u00a0b"_s;
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
        trovix::setBoxText(&box, u"old"_s);
        trovix::appendToBox(&box, u"er\r\nline\r\n"_s);
        QCOMPARE(boxText(&box), u"older\r\nline\r\n"_s);

        // A line break typed as Shift+Enter stays inside its paragraph.
        QTest::keyClick(&box, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(boxText(&box), u"older\r\nline\r\n\r\n"_s);
    }

    void historyIsCutOutBetweenTheLastMarkers_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("pageLines");
        QTest::addColumn<QStringList>("appended");
        QTest::addColumn<bool>("sorry");

        const QString h1 = u"2024-03-01 08:12:45 上海市浦东新区公司 已收件"_s;
        const QString h2 = u"2024-03-02 17:03:19 北京市海淀区营业部 派件中"_s;
        const QString top = u"首页 | 快递查询 | 网点查询"_s;
        const QString bottom = u"Copyright 2024"_s;

        const auto row = [](const char* name, const QString& before, const QStringList& pageLines,
                            const QStringList& appended,
                            bool sorry) { QTest::newRow(name) << before << pageLines << appended << sorry; };

        row("example page", {}, {top, start, h1, h2, end, bottom}, {h1, h2}, false);
        row("one empty line found", {}, {start, u""_s, end}, {u""_s}, true);
        row("no markers", {}, {top, h1, bottom}, {}, false);
        row("only the start marker", {}, {top, start, h1, bottom}, {}, false);
        row("only the end marker", {}, {top, h1, h2, end, bottom}, {h1, h2}, false);
        row("only the end marker, at line 1", {}, {top, end, h1}, {}, false);
        row("only the end marker, at line 0", {}, {end, h1}, {}, false);
        row("end before start", {}, {top, end, h1, start, bottom}, {}, false);
        row("markers next to each other", {}, {top, start, end}, {}, false);
        row("repeated markers, last of each wins", {},
            {top, start, u"old"_s, start, h1, end, h2, end, bottom}, {h1, end, h2}, false);
        row("end marker without its leading blank", {}, {top, start, h1, u"收藏本站，方便下次查询"_s, bottom},
            {}, false);
        row("start marker with a trailing blank is no marker", {}, {top, start + u" "_s, h1, end},
            {start + u" "_s, h1}, false);
        row("empty lines between kept", {}, {top, start, h1, u""_s, h2, end}, {h1, u""_s, h2}, false);
        row("no document", {}, {}, {}, false);
        row("appends to what the box had", u"earlier\r\n"_s, {top, start, h1, end}, {u"earlier"_s, h1},
            false);
        row("box already one empty line, nothing found", u"\r\n"_s, {top}, {u""_s}, true);
        row("one more empty line is no longer sorry", u"\r\n"_s, {start, QString(), end},
            {QString(), QString()}, false);

        // Bounds far beyond a real history keep the box's layout short.
        const QString longLine = u"运"_s.repeated(trovix::longestResultLine + 1);
        row("a longer line is cut", {}, {top, start, longLine, h1, end},
            {longLine.left(trovix::longestResultLine), h1}, false);
        const QString nearlyFull = u"运"_s.repeated(trovix::resultBoxLimit - h1.size() - 5);
        row("whole lines only, as far as the box has room", nearlyFull + crLf, {start, h1, h2, end},
            {nearlyFull, h1}, false);
        const QString full = u"运"_s.repeated(trovix::resultBoxLimit - 2);
        row("a full box takes nothing more", full + crLf, {start, h1, end}, {full}, false);
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
        QCOMPARE(bench.prompter.asked, sorry ? QList{noResultBox()} : QList<trovix::MessageBoxRequest>());
        QVERIFY(!bench.timer1.isActive());
    }

    void scratchFileLivesOnlyDuringTheCapture()
    {
        TempProgramFolder folder;
        const QString scratch = folder.file(u"temp.txt"_s);
        {
            QFile stale(scratch);
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write(QByteArray(100000, 'x'));
        }
        Bench bench(folder.programFolder());
        bench.browser.bodyText = page({u"上海 ABC"_s, start, QString(), end});
        QByteArray duringTheBox;
        bench.prompter.whileOpen = [&] { duringTheBox = fileBytes(scratch); };

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
        const QString regularFile = folder.file(u"regular-file"_s);
        {
            QFile file(regularFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("kept");
        }
        if (!programFolder.startsWith(u'/'))
            programFolder = folder.file(programFolder);

        Bench bench{trovix::ProgramFolder(programFolder)};
        const QString h1 = u"2024-03-01 08:12:45 上海市 已收件 𠀀"_s;
        bench.browser.bodyText = page({u"top"_s, start, h1, end});

        QVERIFY(bench.expireAndCapture());

        QCOMPARE(boxText(&bench.resultBox), h1 + crLf);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{u"regular-file"_s});
        QCOMPARE(fileBytes(regularFile), QByteArray("kept"));
    }

    void pagesBeyond32767LinesAreCapturedWhole()
    {
        QStringList lines;
        for (int i = 0; i < 35000; ++i)
            lines.append(u"advert line %1"_s.arg(i));
        QStringList history;
        for (int i = 0; i < 30; ++i)
            history.append(u"2024-03-01 08:12:%1 第%2站 运输中"_s.arg(i % 60).arg(i));
        lines.append(start);
        lines.append(history);
        lines.append(end);
        lines.append(u"footer"_s);

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
                QVERIFY(bench.expireTimer1());
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
        QVERIFY(!QFile::exists(bench.folder.file(u"temp.txt"_s)));
    }

    void expiryWhileThePageIsReadIsHeldBack()
    {
        Bench bench;
        bench.browser.delivery = FakeBrowser::Delivery::Held;
        bench.browser.bodyText = page({start, u"h"_s, end});

        for (int expiry = 0; expiry < 3; ++expiry)
            QVERIFY(bench.expireTimer1());
        QCOMPARE(bench.browser.bodyTextReads, 1);

        bench.browser.delivery = FakeBrowser::Delivery::Synchronous;
        bench.browser.deliverHeld();
        QTRY_COMPARE(bench.finished.size(), 2);
        QCOMPARE(bench.browser.bodyTextReads, 2);
        QCOMPARE(boxText(&bench.resultBox), u"h\r\nh\r\n"_s);
    }

    void captureGoneWhileSorryBoxIsOpen()
    {
        Bench bench;
        bench.browser.bodyText = page({start, u""_s, end});
        bench.prompter.whileOpen = [&] { bench.session.reset(); };

        bench.timer1.start(0);
        QTRY_COMPARE(bench.prompter.asked.size(), 1);
        QVERIFY(!bench.session);
        QVERIFY(!QFile::exists(bench.folder.file(u"temp.txt"_s)));
    }

    void captureGoneBeforeThePageArrives()
    {
        Bench bench;
        bench.browser.delivery = FakeBrowser::Delivery::Held;
        bench.browser.bodyText = page({start, u"h"_s, end});

        QVERIFY(bench.expireTimer1());
        bench.session.reset();
        bench.browser.deliverHeld();
        QCoreApplication::processEvents();
        QCOMPARE(bench.browser.bodyTextReads, 1);
        QCOMPARE(boxText(&bench.resultBox), QString());
    }
};

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
