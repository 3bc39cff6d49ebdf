#include "AggregatorHosts.h"
#include "LinesWithCrLf.h"
#include "RealWindow.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"

#include "window/Module1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#include <signal.h>

using namespace trovix;

// Queries through the whole window against pages that behave like real tracking sites,
// and against pages that try to reach the user or the machine: the user sees nothing of
// those, the page is refused what it asks for, and Query works after each.
class WindowEndToEndTest : public QObject {
    Q_OBJECT
public:
    // How the hostile page is met and how it ends.
    // MovesOn: the next courier's page then reports what it learned.
    enum Kind { Rests, Hangs, QueriedWhileLoading, EndedAtRest, MovesOn };
    Q_ENUM(Kind)

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(serveCourierPages(aggregator_));
        qputenv("TROVIX_HOME_PAGE", aggregator_.homePage().toUtf8());
    }

    void init()
    {
        window_ = std::make_unique<RealWindow>();
        QVERIFY(window_->folderReady);
        QVERIFY(window_->window.load());
        window_->form().show();
        QVERIFY(spinUntil([&] { return window_->form().Command5->isEnabled(); }, 40000));
    }

    void cleanup()
    {
        window_.reset();
        Module1::remove();
        aggregator_.setResultsInPage(false);
        aggregator_.setHostileScript({});
    }

    void advertFrameReloadingFasterThanTheReadDelayStillGetsItsCapture()
    {
        RealWindow& w = *window_;
        w.form().Text3->setText(QStringLiteral("2"));
        QVERIFY(w.selectCourier(w.form().Option1, QStringLiteral("/all/ems.html")));
        const QString number = QStringLiteral("ADS") + SampleAggregator::knownNumbers().first();
        const QString history = linesWithCrLf(SampleAggregator::historyLines(number));

        w.query(number);

        QVERIFY2(spinUntil([&] { return w.result().startsWith(history); }, 60000), qPrintable(w.result()));
        // The frame completed documents all through the read delay.
        QVERIFY(w.loadsOf(QStringLiteral("/ads/rotating.html")) >= 2);
        // Every capture since appends the whole history again, never a part of it.
        QCOMPARE(w.result(), history.repeated(w.result().size() / history.size()));
        QVERIFY(w.prompter.asked.isEmpty());
    }

    void pageThatWritesTheHistoryInPlaceIsCaptured()
    {
        aggregator_.setResultsInPage(true);
        RealWindow& w = *window_;
        w.form().Text3->setText(QStringLiteral("1"));
        QVERIFY(w.selectCourier(w.form().Option3, QStringLiteral("/all/st.html")));
        const int loadsBefore = int(w.loads.size());
        const QString number = SampleAggregator::knownNumbers().last();
        QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);

        w.query(number);

        const QString history = linesWithCrLf(SampleAggregator::historyLines(number));
        QVERIFY2(spinUntil([&] { return w.result() == history && !w.form().Timer1->isActive(); }, 40000),
                 qPrintable(w.result()));
        QCOMPARE(submitted.size(), 1);
        QVERIFY(aggregator_.submissions().last().path.startsWith(QLatin1String("/track/")));
        QCOMPARE(w.loads.size(), loadsBefore);
        QVERIFY(w.prompter.asked.isEmpty());
    }

    // However long the page's text, the window's thread turns to its events all through
    // the capture, and the history keeps its lines, the longest cut short.
    void windowAnswersDuringTheCaptureOfAHugeLine()
    {
        RealWindow& w = *window_;
        w.form().Text3->setText(QStringLiteral("0.5"));
        aggregator_.setHostileScript(QStringLiteral("huge-line"));
        QVERIFY(w.selectCourier(w.form().Option1, QStringLiteral("/all/ems.html")));
        const QString number = SampleAggregator::knownNumbers().first();
        const QString history = linesWithCrLf(SampleAggregator::historyLines(number)) +
                                QStringLiteral("2024-03-02 转运中心 ").repeated(63).left(longestResultLine) +
                                QStringLiteral("\r\n");
        qint64 longestWaitMs = 0;
        QElapsedTimer sinceTick;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this,
                [&] { longestWaitMs = qMax(longestWaitMs, sinceTick.restart()); });
        sinceTick.start();
        tick.start(10);

        w.query(number);

        QVERIFY2(
            spinUntil([&] { return w.result().startsWith(history) && !w.form().Timer1->isActive(); }, 60000),
            qPrintable(w.result().left(2000)));
        tick.stop();
        QVERIFY2(longestWaitMs < 2000, qPrintable(QString::number(longestWaitMs)));
    }

    void queryWorksAfterThePageProcessDied()
    {
        RealWindow& w = *window_;
        w.form().Text3->setText(QStringLiteral("0.5"));
        QSignalSpy terminated(&w.browser, &ChromiumBrowser::pageProcessEnded);
        // Dies right after its page completed, while the lookup of that page's elements
        // is on its way.
        const QString page1 = QStringLiteral("/all/ems.html");
        QMetaObject::Connection kill = connect(&w.browser, &Browser::documentCompleted, this,
                                               [&w, page1](Browser::DocumentId, const QString& at) {
                                                   if (at.endsWith(page1) && w.browser.pagePid() > 0)
                                                       ::kill(pid_t(w.browser.pagePid()), SIGKILL);
                                               });
        w.form().Option1->setChecked(true);
        QVERIFY(spinUntil([&] { return !terminated.isEmpty(); }, 40000));
        disconnect(kill);
        QVERIFY(w.loadsOf(page1) == 1);

        QVERIFY(w.selectCourier(w.form().Option2, QStringLiteral("/all/sf.html")));
        const QString number = SampleAggregator::knownNumbers().at(1);
        QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
        w.query(number);

        QVERIFY(spinUntil([&] { return submitted.size() == 1; }, 40000));
        const QString history = linesWithCrLf(SampleAggregator::historyLines(number));
        QVERIFY2(spinUntil([&] { return w.result() == history; }, 40000), qPrintable(w.result()));
        QCOMPARE(aggregator_.submissions().last().fields.value(QStringLiteral("postid")), number);
    }

    void queryWorksAfterAHostilePage_data()
    {
        QTest::addColumn<QString>("script");
        // What the page reports it was given, "name=value" by name, blank-separated.
        QTest::addColumn<QString>("learned");
        QTest::addColumn<Kind>("kind");
        // How often the page's one odd request reaches the server.
        QTest::addColumn<QString>("oddPath");
        QTest::addColumn<int>("oddRequests");
        const auto row = [](const char* name, const char* script, const char* learned, Kind kind,
                            const char* oddPath = "", int oddRequests = 0) {
            QTest::newRow(name) << QString::fromLatin1(script) << QString::fromLatin1(learned) << kind
                                << QString::fromLatin1(oddPath) << oddRequests;
        };
        row("dialogs", "dialogs", "confirm=false prompt=null", Rests);
        row("permissions", "permissions", "location=denied notifications=denied", Rests);
        row("pop-up, full screen, other program", "windows", "fullScreen=denied popup=null", Rests);
        row("download", "download", "", Rests);
        row("late advert frame", "late-advert", "", Rests);
        row("busy", "busy", "", Rests);
        row("hang", "hang", "", Hangs);
        row("Query while the page loads", "slow-page", "", QueriedWhileLoading);
        row("image that never arrives, busy", "stalled-image", "", Rests);
        row("spinning freeze handler", "freeze-spin", "", EndedAtRest);
        row("looping worker", "worker", "", Rests);
        row("result page reloading itself", "reload", "", Rests);
        row("authentication", "auth", "", Rests, SampleAggregator::hostileProtectedPath, 1);
        row("another site's frame", "third-party", "", Rests, SampleAggregator::hostileThirdPartyFramePath,
            0);
        row("no JIT, no WebGL", "exposure", "wasm=undefined webgl=false", Rests);
        row("storage gone once moved on", "storage", "cache=0 idb=0 local=0", MovesOn);
    }

    void queryWorksAfterAHostilePage()
    {
        QFETCH(QString, script);
        QFETCH(QString, learned);
        QFETCH(Kind, kind);
        QFETCH(QString, oddPath);
        QFETCH(int, oddRequests);
        const bool hangs = kind == Hangs;
        RealWindow& w = *window_;
        w.browser.setAnswerDeadline(2000);
        // Every window but the main one that is on screen at any moment, by class name; each
        // is closed once seen, so a modal one cannot hold the test.
        QStringList strayWindows;
        QTimer strayWindowWatch;
        connect(&strayWindowWatch, &QTimer::timeout, this, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget != &w.form() && widget->isVisible()) {
                    strayWindows << QString::fromLatin1(widget->metaObject()->className());
                    widget->close();
                }
            }
        });
        strayWindowWatch.start(10);
        QSignalSpy served(&aggregator_, &SampleAggregator::requestServed);
        QSignalSpy terminated(&w.browser, &ChromiumBrowser::pageProcessEnded);
        // A page at rest is frozen: the storage page gets the time to store before its capture.
        const bool stores = kind == MovesOn;
        w.form().Text3->setText(stores ? QStringLiteral("60") : QStringLiteral("1"));
        aggregator_.setHostileScript(script);
        firstSubmission_ = int(aggregator_.submissions().size());
        const QString report = QString::fromLatin1(SampleAggregator::hostileReportPath);

        const QString number = SampleAggregator::knownNumbers().first();
        if (kind == QueriedWhileLoading) {
            aggregator_.setHostileScript({});
            QVERIFY(w.selectCourier(w.form().Option2, QStringLiteral("/all/sf.html")));
            aggregator_.setHostileScript(script);
            w.form().Option1->setChecked(true);
            // The page is asked for; it comes hostileSlowPageMs later.
            QVERIFY(spinUntil([&] {
                return served.contains({QStringLiteral("GET"), QStringLiteral("/all/ems.html")});
            }));
            w.query(number);
        } else if (stores) {
            w.form().Option1->setChecked(true);
        } else {
            QVERIFY(w.selectCourier(w.form().Option1, QStringLiteral("/all/ems.html")));
        }
        if (!learned.isEmpty())
            QVERIFY(spinUntil([&] { return !submissionsTo(report).isEmpty(); }, 40000));
        w.form().Text3->setText(QStringLiteral("1"));
        if (script == QLatin1String("late-advert"))
            QVERIFY(spinUntil([&] { return w.loadsOf(QStringLiteral("/ads/rotating.html")) > 0; }, 40000));
        if (hangs) {
            QVERIFY(spinUntil([&] { return !terminated.isEmpty(); }, 40000));
            aggregator_.setHostileScript({});
            QVERIFY(w.selectCourier(w.form().Option2, QStringLiteral("/all/sf.html")));
        }
        if (kind != QueriedWhileLoading)
            w.query(number);

        const QString history = linesWithCrLf(SampleAggregator::historyLines(number));
        QVERIFY2(spinUntil([&] { return w.result().startsWith(history); }, 40000), qPrintable(w.result()));
        // A Query may have ended a page that would not answer before it could act.
        const qsizetype endedBeforeRest = terminated.size();
        QCOMPARE(submissionsTo(QStringLiteral("/query/")).last().fields.value(QStringLiteral("postid")),
                 number);
        QCOMPARE(submissionsTo(QStringLiteral("/query/sf.html")).size(), int(hangs));
        // At rest the page is frozen, or its process ended when it would not stay still.
        if (kind == EndedAtRest) {
            QVERIFY(spinUntil([&] { return terminated.size() > endedBeforeRest; }, 40000));
            aggregator_.setHostileScript({});
            w.query(number);
            QVERIFY(spinUntil([&] { return submissionsTo(QStringLiteral("/query/")).size() == 2; }, 40000));
            QVERIFY2(spinUntil([&] { return w.result().startsWith(history); }, 40000),
                     qPrintable(w.result()));
        }
        QVERIFY(spinUntil([&] { return w.browser.isFrozen(); }, 40000));
        if (!oddPath.isEmpty())
            QCOMPARE(served.count({QStringLiteral("GET"), oddPath}), oddRequests);
        QCOMPARE(strayWindows, QStringList());
        if (!learned.isEmpty())
            QCOMPARE(asText(submissionsTo(report).first().fields), learned);
        if (script == QLatin1String("download")) {
            QVERIFY(served.contains(
                {QStringLiteral("GET"), QString::fromLatin1(SampleAggregator::hostileDownloadPath)}));
            const QDir downloads(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
            QVERIFY(!downloads.exists(QStringLiteral("trovix-hostile-download.bin")));
            QVERIFY(!downloads.exists(QStringLiteral("download.bin")));
        }
        // A Query may also have ended the spinning page before it could act on it.
        if (kind == EndedAtRest)
            QVERIFY(!terminated.isEmpty());
        else
            QCOMPARE(terminated.size(), int(hangs));
        if (kind == MovesOn) {
            // Its own result page still saw what it stored.
            QVERIFY(spinUntil([&] { return submissionsTo(report).size() == 2; }, 40000));
            QVERIFY(asText(submissionsTo(report).last().fields) != learned);
            QVERIFY(w.selectCourier(w.form().Option2, QStringLiteral("/all/sf.html")));
            QVERIFY(spinUntil([&] { return submissionsTo(report).size() == 3; }, 40000));
            QCOMPARE(asText(submissionsTo(report).last().fields), learned);
        }
    }

private:
    static QString asText(const QMap<QString, QString>& fields)
    {
        QStringList pairs;
        for (auto it = fields.begin(); it != fields.end(); ++it)
            pairs << it.key() + QLatin1Char('=') + it.value();
        return pairs.join(QLatin1Char(' '));
    }

    // The current test's submissions whose path starts with `path`.
    QList<SampleAggregator::Submission> submissionsTo(const QString& path) const
    {
        QList<SampleAggregator::Submission> found;
        for (const SampleAggregator::Submission& submission :
             aggregator_.submissions().mid(firstSubmission_)) {
            if (submission.path.startsWith(path))
                found << submission;
        }
        return found;
    }

    SampleAggregator aggregator_;
    // Those of the test under way.
    int firstSubmission_ = 0;
    std::unique_ptr<RealWindow> window_;
};

QTEST_MAIN(WindowEndToEndTest)
#include "test_window_e2e.moc"
