// The browser whose engine starts after its window is on screen, on a real X11 desktop:
// a private Xvfb display with a window manager, started and stopped by the test. Qt
// recreates a shown window whose surface must change kind, which the offscreen platform
// never does; so the browser runs in a second process of this executable on that display.
#include "tracking/WebEngineBrowser.h"

#include "LoopbackHttpServer.h"
#include "SpinUntil.h"
#include "WebEngineTestCase.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <cstdio>
#include <memory>

namespace {

const char* const childOption = "--x11-child";

// Shows a window holding a browser that waits for it, loads the address and reports
// the first completed document and whether the window is still the one first shown.
int runChild(int argc, char* argv[])
{
    WebEngineTestCase::initMain();
    QApplication application(argc, argv);
    const QString address = QString::fromLocal8Bit(argv[2]);
    QWidget window;
    window.resize(320, 240);
    trovix::WebEngineBrowser browser(&window, trovix::WebEngineBrowser::EngineStart::AfterWindowShown);
    browser.view()->setGeometry(0, 0, 200, 150);
    browser.navigate(address);
    window.show();
    const WId shown = window.winId();
    QObject::connect(&browser, &trovix::Browser::documentCompleted, &application,
                     [&](trovix::Browser::DocumentId, const QString& completed) {
                         std::printf("completed %s in %s window\n", qPrintable(completed),
                                     window.winId() == shown ? "the same" : "a recreated");
                         std::fflush(stdout);
                         QCoreApplication::exit(0);
                     });
    QTimer::singleShot(30000, &application, [] {
        std::printf("no document completed\n");
        std::fflush(stdout);
        QCoreApplication::exit(1);
    });
    return application.exec();
}

} // namespace

class WebEngineOnX11Test : public WebEngineTestCase {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void windowStaysTheSameAndThePageLoads();

private:
    QProcessEnvironment desktopEnvironment() const;
    void stop(std::unique_ptr<QProcess>& process);

    std::unique_ptr<LoopbackHttpServer> server_;
    std::unique_ptr<QProcess> display_;
    std::unique_ptr<QProcess> windowManager_;
    QString displayName_;
};

void WebEngineOnX11Test::initTestCase()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    const QString xprop = QStandardPaths::findExecutable(QStringLiteral("xprop"));
    if (xvfb.isEmpty() || openbox.isEmpty() || xprop.isEmpty())
        QSKIP("needs Xvfb, openbox and xprop (scripts/install-deps installs them)");

    server_ = std::make_unique<LoopbackHttpServer>([](const LoopbackHttpServer::Request&) {
        LoopbackHttpServer::Response response;
        response.body = "<!DOCTYPE html><html><body><input id=\"postid\"></body></html>";
        return response;
    });
    QVERIFY(server_->listen());

    // The server writes the number of a free display to the descriptor it is given. It
    // must not reset when its last client leaves: it then refuses the next one a moment.
    display_ = std::make_unique<QProcess>();
    display_->start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                           QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24"),
                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QVERIFY(spinUntil([&] { return display_->canReadLine() || display_->state() == QProcess::NotRunning; }));
    const QByteArray number = display_->readLine().trimmed();
    QVERIFY2(!number.isEmpty(), display_->readAllStandardError().constData());
    displayName_ = QLatin1Char(':') + QString::fromLatin1(number);

    // The number can come before the display takes connections.
    const auto rootProperty = [&](const QString& name) {
        QProcess probe;
        probe.setProcessEnvironment(desktopEnvironment());
        probe.start(xprop, {QStringLiteral("-root"), name});
        probe.waitForFinished(5000);
        return probe.exitCode() == 0 ? probe.readAllStandardOutput() : QByteArray();
    };
    QVERIFY(spinUntil([&] { return !rootProperty(QStringLiteral("_NET_SUPPORTING_WM_CHECK")).isEmpty(); }));

    windowManager_ = std::make_unique<QProcess>();
    windowManager_->setProcessEnvironment(desktopEnvironment());
    windowManager_->start(openbox, {});
    // The window manager announces itself on the root window once it manages windows.
    QVERIFY(spinUntil(
        [&] { return rootProperty(QStringLiteral("_NET_SUPPORTING_WM_CHECK")).contains("window id"); }));
}

void WebEngineOnX11Test::cleanupTestCase()
{
    stop(windowManager_);
    stop(display_);
}

QProcessEnvironment WebEngineOnX11Test::desktopEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), displayName_);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

void WebEngineOnX11Test::stop(std::unique_ptr<QProcess>& process)
{
    if (!process)
        return;
    process->terminate();
    if (!process->waitForFinished(10000))
        process->kill();
    process->waitForFinished(10000);
    process.reset();
}

void WebEngineOnX11Test::windowStaysTheSameAndThePageLoads()
{
    const QString address = QStringLiteral("http://%1/form.html").arg(server_->hostA());
    QProcess child;
    child.setProcessEnvironment(desktopEnvironment());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(childOption), address});
    // The loopback server answers from this event loop while the child runs.
    QVERIFY(spinUntil([&] { return child.state() == QProcess::NotRunning; }, 90000));
    QCOMPARE(QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed(),
             QStringLiteral("completed %1 in the same window").arg(address));
    QCOMPARE(child.exitCode(), 0);
}

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], childOption) == 0)
        return runChild(argc, argv);
    WebEngineOnX11Test::initMain();
    QApplication application(argc, argv);
    WebEngineOnX11Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_webengine_on_x11.moc"
