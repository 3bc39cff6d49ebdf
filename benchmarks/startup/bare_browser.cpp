// The yardstick for Trovix's start-up: a bare QWebEngineView that loads the same home
// page from the same server and reports when it has loaded ("loaded_ms"). With
// --query NUMBER it then submits NUMBER through the first courier's tracking page, as
// Trovix's query does, and reports the memory of its process tree once the result page
// has loaded.
#include "BenchReport.h"

#include "common/Configuration.h"
#include "tracking/CourierCatalogue.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const qsizetype queryAt = arguments.indexOf(QStringLiteral("--query"));
    const QString number = queryAt > 0 ? arguments.value(queryAt + 1) : QString();

    const QUrl homePage(trovix::config::homePage());
    const QUrl trackingPage(trovix::trackingAddress(trovix::couriers().first()));
    QWebEngineView view;
    view.resize(800, 600);
    enum class Step { Home, Tracking, Result } step = Step::Home;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) {
        if (!ok) {
            std::fprintf(stderr, "bench_startup_bare: %s did not load\n", qPrintable(view.url().toString()));
            QCoreApplication::exit(1);
            return;
        }
        switch (step) {
        case Step::Home:
            bench::report("loaded_ms", bench::msSinceLaunch());
            if (number.isEmpty()) {
                QCoreApplication::exit(0);
                return;
            }
            step = Step::Tracking;
            view.load(trackingPage);
            return;
        case Step::Tracking:
            step = Step::Result;
            // The number as a JSON string literal, whatever characters it holds.
            view.page()->runJavaScript(
                QStringLiteral("document.getElementById('postid').value = %1[0];"
                               "document.getElementById('lika').click();")
                    .arg(
                        QString::fromUtf8(QJsonDocument(QJsonArray{number}).toJson(QJsonDocument::Compact))));
            return;
        case Step::Result:
            bench::reportTreeMemory();
            QCoreApplication::exit(0);
            return;
        }
    });
    view.load(homePage);
    view.show();
    return application.exec();
}
