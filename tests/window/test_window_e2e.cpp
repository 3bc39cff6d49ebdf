#include "AggregatorHosts.h"
#include "LinesWithCrLf.h"
#include "RealWindow.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"
#include "WebEngineTestCase.h"

#include "window/Module1.h"

#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

#include <signal.h>

using namespace trovix;

// Queries through the whole window against pages that behave like real tracking sites.
class WindowEndToEndTest : public WebEngineTestCase {
    Q_OBJECT

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

    void queryWorksAfterThePageProcessDied()
    {
        RealWindow& w = *window_;
        w.form().Text3->setText(QStringLiteral("0.5"));
        QWebEnginePage* page = w.browser.view()->page();
        QSignalSpy terminated(page, &QWebEnginePage::renderProcessTerminated);
        // Dies right after its page completed, while the lookup of that page's elements
        // is on its way.
        const QString page1 = QStringLiteral("/all/ems.html");
        QMetaObject::Connection kill = connect(&w.browser, &Browser::documentCompleted, this,
                                               [page](Browser::DocumentId, const QString& at) {
                                                   if (at.endsWith(QStringLiteral("/all/ems.html")))
                                                       ::kill(page->renderProcessPid(), SIGKILL);
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

private:
    SampleAggregator aggregator_;
    std::unique_ptr<RealWindow> window_;
};

QTEST_MAIN(WindowEndToEndTest)
#include "test_window_e2e.moc"
