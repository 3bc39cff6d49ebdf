// Trovix's own start-up, as its main() runs it, that reports when the home page has
// loaded in the embedded browser ("loaded_ms") and ends there. With --query NUMBER it
// then picks the first courier, sets the read delay to 0.5 s, presses Query once the
// tracking page is there and its own capture is due, and reports how long the last history line took to reach
// the result box beyond the read delay ("query_overhead_ms"), and the memory of its process tree.
#include "BenchReport.h"

#include "SampleAggregator.h"
#include "common/Configuration.h"
#include "tracking/CourierCatalogue.h"
#include "window/DesktopProgram.h"
#include "window/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>

namespace {

constexpr double readDelayMs = 500.0;

} // namespace

int main(int argc, char* argv[])
{
    trovix::prepareDesktopApplication();
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const qsizetype queryAt = arguments.indexOf(QStringLiteral("--query"));
    const QString number = queryAt > 0 ? arguments.value(queryAt + 1) : QString();

    trovix::DesktopProgram program;
    trovix::Form1& form = *program.controllers().form();
    const QString homePage = trovix::config::homePage();
    const QString trackingPage = trovix::trackingAddress(trovix::couriers().first());
    const QString lastLine = SampleAggregator::historyLines(number).last();

    enum class Step { Home, Tracking, Result } step = Step::Home;
    QElapsedTimer sinceQuery;
    QObject::connect(&program.browser(), &trovix::Browser::documentCompleted, &application,
                     [&](trovix::Browser::DocumentId, const QString& address) {
                         if (step == Step::Home && QUrl(address) == QUrl(homePage)) {
                             bench::report("loaded_ms", bench::msSinceLaunch());
                             // exit(), not quit(): quit() closes the window, which asks
                             // the exit question.
                             if (number.isEmpty()) {
                                 QCoreApplication::exit(0);
                                 return;
                             }
                             step = Step::Tracking;
                             form.Text3->setText(QStringLiteral("0.5"));
                             form.Text1->setText(number);
                             form.Option1->setChecked(true);
                         } else if (step == Step::Tracking && QUrl(address) == QUrl(trackingPage)) {
                             step = Step::Result;
                             // Query once the tracking page's own capture is due: a Query during
                             // that countdown keeps it, and would be timed from its end.
                             QObject::connect(
                                 form.Timer1, &QTimer::timeout, &application,
                                 [&] {
                                     sinceQuery.start();
                                     form.Command5->click();
                                 },
                                 Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
                         }
                     });
    QObject::connect(form.RichTextBox3, &QTextEdit::textChanged, &application, [&] {
        if (step != Step::Result || !form.RichTextBox3->toPlainText().contains(lastLine))
            return;
        bench::report("query_overhead_ms", sinceQuery.nsecsElapsed() / 1e6 - readDelayMs);
        bench::reportTreeMemory();
        QCoreApplication::exit(0);
    });

    if (!program.start())
        return 1;
    return application.exec();
}
