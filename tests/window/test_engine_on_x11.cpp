// The browser engine started after its window is on screen, on a real X11 desktop of the
// test's own, also when the window is never exposed; the window stays the one first
// shown. The window runs in a second process of this executable on that display.
#include "engine/ChromiumBrowser.h"
#include "tracking/DeferredBrowser.h"
#include "window/WindowOnScreenWatch.h"

#include "LoopbackHttpServer.h"
#include "SpinUntil.h"
#include "X11Desktop.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

const char* const childOption = "--x11-child";

const char* const minimised = "minimised";

// Shows a window whose browser engine comes once it is on screen, loads the address and
// reports the first completed document and whether the window is still the one first shown.
int runChild(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QString address = QString::fromLocal8Bit(argv[2]);
    const bool startMinimised = qstrcmp(argv[3], minimised) == 0;
    QWidget window;
    window.resize(320, 240);
    auto* view = new QWidget(&window);
    view->setGeometry(0, 0, 200, 150);
    trovix::DeferredBrowser browser;
    browser.navigate(address);
    if (startMinimised)
        window.showMinimized();
    else
        window.show();
    trovix::WindowOnScreenWatch engineStart(window.windowHandle(), [&] {
        auto engine = std::make_unique<trovix::ChromiumBrowser>(view->size(), QStringList());
        QObject::connect(engine.get(), &trovix::ChromiumBrowser::engineUnavailable, [](const QString& error) {
            std::printf("no engine: %s\n", qPrintable(error));
            std::fflush(stdout);
            QCoreApplication::exit(1);
        });
        browser.attach(std::move(engine));
    });
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

class EngineOnX11Test : public QObject {
    Q_OBJECT
public:
    explicit EngineOnX11Test(const X11Desktop& desktop) : desktop_(desktop) {}

private Q_SLOTS:
    void initTestCase()
    {
        if (!desktop_.running())
            QSKIP(qPrintable(QStringLiteral("no X11 desktop: ") + desktop_.error()));
        QVERIFY2(desktop_.waitForWindowManager(), "openbox does not manage the desktop");
        server_ = std::make_unique<LoopbackHttpServer>([](const LoopbackHttpServer::Request&) {
            LoopbackHttpServer::Response response;
            response.body = "<!DOCTYPE html><html><body><input id=\"postid\"></body></html>";
            return response;
        });
        QVERIFY(server_->listen());
    }

    void windowStaysTheSameAndThePageLoads_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::newRow("on screen") << QStringLiteral("normal");
        // Never exposed until the user restores it.
        QTest::newRow("minimised") << QString::fromLatin1(minimised);
    }

    void windowStaysTheSameAndThePageLoads()
    {
        QFETCH(QString, shown);
        const QString address = QStringLiteral("http://%1/form.html").arg(server_->hostA());
        QProcess child;
        child.setProcessEnvironment(desktop_.environment());
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(childOption), address, shown});
        // The loopback server answers from this event loop while the child runs.
        QVERIFY(spinUntil([&] { return child.state() == QProcess::NotRunning; }, 90000));
        QCOMPARE(QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed(),
                 QStringLiteral("completed %1 in the same window").arg(address));
        QCOMPARE(child.exitCode(), 0);
    }

private:
    const X11Desktop& desktop_;
    std::unique_ptr<LoopbackHttpServer> server_;
};

int main(int argc, char* argv[])
{
    if (argc == 4 && qstrcmp(argv[1], childOption) == 0)
        return runChild(argc, argv);
    // Before the application, which stays on the platform it was given.
    X11Desktop desktop;
    QApplication application(argc, argv);
    EngineOnX11Test test(desktop);
    return QTest::qExec(&test, argc, argv);
}

#include "test_engine_on_x11.moc"
