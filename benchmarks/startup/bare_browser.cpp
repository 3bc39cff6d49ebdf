// The yardstick for Trovix's start-up: the least a Qt program on Trovix's engine does. It
// shows a window the size of a plain web view, starts the same headless shell over the
// DevTools pipe at once, with none of Trovix's page rules, loads the same home page from
// the same server and reports when it has loaded ("loaded_ms"). With --query NUMBER it
// then submits NUMBER through the first courier's tracking page, as Trovix's query does,
// and reports the memory of its process tree once the result page has loaded.
#include "BenchReport.h"

#include "common/Configuration.h"
#include "engine/BrowserProcess.h"
#include "engine/ChromiumLaunch.h"
#include "engine/DevToolsConnection.h"
#include "engine/DevToolsSession.h"
#include "engine/PipeTransport.h"
#include "tracking/CourierCatalogue.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const qsizetype queryAt = arguments.indexOf(QStringLiteral("--query"));
    const QString number = queryAt > 0 ? arguments.value(queryAt + 1) : QString();

    const QUrl homePage(trovix::config::homePage());
    const QUrl trackingPage(trovix::trackingAddress(trovix::couriers().first()));
    QWidget window;
    window.resize(800, 600);
    window.show();

    const QString executable = trovix::BrowserProcess::chooseExecutable();
    trovix::BrowserProcess process;
    QString error;
    // Trovix's page size, so that the page lays out the same.
    trovix::PipeTransport* pipe = process.start(
        executable, trovix::chromiumArguments(executable, trovix::chromiumSandboxWanted(), {433, 425}),
        &error);
    if (!pipe) {
        std::fprintf(stderr, "bench_startup_bare: %s: %s\n", qPrintable(executable), qPrintable(error));
        return 1;
    }
    trovix::DevToolsConnection connection(pipe);
    QObject::connect(&connection, &trovix::DevToolsConnection::closed, &application, [] {
        std::fprintf(stderr, "bench_startup_bare: the browser ended\n");
        QCoreApplication::exit(1);
    });

    enum class Step { Home, Tracking, Result } step = Step::Home;
    QPointer<trovix::DevToolsSession> session;
    // The top frame's address, so that a load event is matched to its page.
    QUrl committed;
    const auto navigate = [&](const QUrl& address) {
        session->send(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), address.toString()}},
                      [address](const trovix::DevToolsReply& reply) {
                          const QString failure =
                              reply.ok ? reply.result.value(QLatin1String("errorText")).toString()
                                       : reply.error;
                          if (failure.isEmpty())
                              return;
                          std::fprintf(stderr, "bench_startup_bare: %s did not load: %s\n",
                                       qPrintable(address.toString()), qPrintable(failure));
                          QCoreApplication::exit(1);
                      });
    };
    const auto onEvent = [&](const QString& method, const QJsonObject& params) {
        if (method == QLatin1String("Page.frameNavigated")) {
            const QJsonObject frame = params.value(QLatin1String("frame")).toObject();
            if (!frame.contains(QLatin1String("parentId")))
                committed = QUrl(frame.value(QLatin1String("url")).toString());
            return;
        }
        if (method != QLatin1String("Page.loadEventFired"))
            return;
        switch (step) {
        case Step::Home:
            if (committed != homePage)
                return;
            bench::report("loaded_ms", bench::msSinceLaunch());
            if (number.isEmpty()) {
                QCoreApplication::exit(0);
                return;
            }
            step = Step::Tracking;
            navigate(trackingPage);
            return;
        case Step::Tracking:
            if (committed != trackingPage)
                return;
            step = Step::Result;
            // The number as a JSON string literal, whatever characters it holds.
            session->send(QStringLiteral("Runtime.evaluate"),
                          {{QStringLiteral("expression"),
                            QStringLiteral("document.getElementById('postid').value = %1[0];"
                                           "document.getElementById('lika').click();")
                                .arg(QString::fromUtf8(
                                    QJsonDocument(QJsonArray{number}).toJson(QJsonDocument::Compact)))}});
            return;
        case Step::Result:
            if (committed == trackingPage)
                return;
            bench::reportTreeMemory();
            QCoreApplication::exit(0);
            return;
        }
    };
    // The shell starts with no page on the pipe: one is made and attached to.
    connection.send(
        QStringLiteral("Target.createTarget"), {{QStringLiteral("url"), QStringLiteral("about:blank")}},
        [&](const trovix::DevToolsReply& created) {
            connection.send(
                QStringLiteral("Target.attachToTarget"),
                {{QStringLiteral("targetId"), created.result.value(QLatin1String("targetId"))},
                 {QStringLiteral("flatten"), true}},
                [&](const trovix::DevToolsReply& attached) {
                    if (!attached.ok) {
                        std::fprintf(stderr, "bench_startup_bare: no page: %s\n", qPrintable(attached.error));
                        QCoreApplication::exit(1);
                        return;
                    }
                    session =
                        connection.session(attached.result.value(QLatin1String("sessionId")).toString());
                    QObject::connect(session, &trovix::DevToolsSession::event, &application, onEvent);
                    // Navigated sooner, the page has been seen to send none of its document's events.
                    session->send(QStringLiteral("Page.enable"), {},
                                  [&](const trovix::DevToolsReply&) { navigate(homePage); });
                });
        });
    return application.exec();
}
