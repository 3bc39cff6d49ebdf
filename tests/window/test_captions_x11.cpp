#include "SpinUntil.h"
#include "TempProgramFolder.h"

#include "common/Prompter.h"
#include "window/AboutWindow.h"
#include "window/DesktopProgram.h"
#include "window/Form1.h"
#include "window/Form2.h"
#include "window/Module1.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// A real X11 desktop of the test's own: an Xvfb server on a free display with the
// openbox window manager on it, both stopped when the desktop goes.
class X11Desktop {
public:
    X11Desktop()
    {
        int fds[2];
        if (::pipe(fds) != 0) {
            error_ = "pipe failed";
            return;
        }
        ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        const std::string fd = std::to_string(fds[1]);
        server_ = spawn({"Xvfb", "-displayfd", fd, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
        ::close(fds[1]);
        if (server_ <= 0) {
            error_ = "Xvfb could not be started";
            ::close(fds[0]);
            return;
        }
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&wait, 1, 20000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (number.empty()) {
            error_ = "Xvfb gave no display";
            return;
        }
        display_ = ":" + number;
        windowManager_ = spawn({"openbox", "--sm-disable"}, display_);
    }

    ~X11Desktop()
    {
        stop(windowManager_);
        stop(server_);
    }

    bool running() const { return !display_.empty(); }
    QString display() const { return QString::fromStdString(display_); }
    QString error() const { return QString::fromStdString(error_); }
    bool windowManagerStarted() const { return windowManager_ > 0; }

private:
    static pid_t spawn(const std::vector<std::string>& arguments, const std::string& display)
    {
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<std::string> environment;
        for (char** entry = environ; *entry; ++entry) {
            if (std::string(*entry).rfind("DISPLAY=", 0) != 0)
                environment.emplace_back(*entry);
        }
        if (!display.empty())
            environment.push_back("DISPLAY=" + display);
        std::vector<char*> envp;
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        pid_t pid = 0;
        return ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid : -1;
    }

    static void stop(pid_t pid)
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }

    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    std::string display_;
    std::string error_;
};

// What xprop, a client of the X server like any desktop panel, reads as the window's
// caption.
QString netWmName(WId window)
{
    QProcess xprop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    xprop.setProcessEnvironment(environment);
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                          QStringLiteral("-notype"), QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000) || xprop.exitCode() != 0)
        return {};
    static const QRegularExpression value(QStringLiteral("^_NET_WM_NAME = \"(.*)\"\\s*$"));
    const QRegularExpressionMatch match = value.match(QString::fromUtf8(xprop.readAllStandardOutput()));
    if (!match.hasMatch())
        return {};
    QString name = match.captured(1);
    name.replace(QStringLiteral("\\\""), QStringLiteral("\""))
        .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    return name;
}

QList<WId> managedWindows()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
    if (!xprop.waitForFinished(10000))
        return {};
    QList<WId> windows;
    static const QRegularExpression id(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = id.globalMatch(QString::fromLatin1(xprop.readAllStandardOutput())); it.hasNext();)
        windows.append(it.next().captured().toULongLong(nullptr, 16));
    return windows;
}

// The caption a window shows once the X server has it.
QString captionOf(QWidget* window)
{
    QString name;
    spinUntil([&] { return !(name = netWmName(window->winId())).isEmpty(); }, 10000);
    return name;
}

} // namespace

// The captions on a real X11 desktop: the xcb platform, a window manager, and the
// _NET_WM_NAME of each window as the X server holds it.
class CaptionsX11Test : public QObject {
    Q_OBJECT
public:
    explicit CaptionsX11Test(const X11Desktop& desktop) : desktop_(desktop) {}

private Q_SLOTS:
    void initTestCase()
    {
        if (!desktop_.running())
            QSKIP(qPrintable(QStringLiteral("no X server: ") + desktop_.error()));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(desktop_.windowManagerStarted());
        QVERIFY2(spinUntil(
                     [] {
                         QProcess xprop;
                         xprop.start(QStringLiteral("xprop"),
                                     {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
                         return xprop.waitForFinished(10000) &&
                                xprop.readAllStandardOutput().contains("window id");
                     },
                     30000),
                 "openbox does not manage the desktop");
        program_ = std::make_unique<trovix::DesktopProgram>();
    }

    void cleanupTestCase()
    {
        program_.reset();
        trovix::Module1::remove();
    }

    void mainWindowAndAboutWindow()
    {
        trovix::Form1* form = program_->controllers().form();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCOMPARE(captionOf(form), QStringLiteral("Trovix V1.2"));

        form->gy->trigger();
        trovix::Form2* about = program_->controllers().about().window();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(captionOf(about), QStringLiteral("关于"));
        about->close();
    }

    void messageBoxes_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::newRow("nothing found") << QStringLiteral("sorry") << QStringLiteral("sorry");
        QTest::newRow("delete question") << QStringLiteral("提示") << QStringLiteral("提示");
        QTest::newRow("update failure") << QStringLiteral("更新") << QStringLiteral("更新");
        QTest::newRow("no caption of its own") << QString() << QStringLiteral("Trovix");
    }

    void messageBoxes()
    {
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        trovix::MessageBoxPrompter prompter(program_->controllers().form());
        QString seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            poll.stop();
            seen = captionOf(box);
            box->done(QMessageBox::Ok);
        });
        poll.start(50);
        prompter.ask({QStringLiteral("text"), caption, QMessageBox::Ok, QMessageBox::NoIcon});
        QCOMPARE(seen, shown);
    }

    void exitQuestionThroughTheWindow()
    {
        trovix::Form1* form = program_->controllers().form();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QString seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            poll.stop();
            seen = captionOf(box);
            box->done(QMessageBox::Cancel);
        });
        poll.start(50);
        QVERIFY(!form->close());
        QCOMPARE(seen, QStringLiteral("Trovix"));
    }

    void updateProgramWindow()
    {
        TempProgramFolder folder;
        QVERIFY(folder.copyFromBuild(QStringLiteral("update")));
        quint16 closedPort = 0;
        {
            QTcpServer gone;
            QVERIFY(gone.listen(QHostAddress::LocalHost));
            closedPort = gone.serverPort();
        }
        const QList<WId> before = managedWindows();
        QProcess update;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DISPLAY"), desktop_.display());
        environment.insert(QStringLiteral("TROVIX_UPDATE_VERSION_URL"),
                           QStringLiteral("http://127.0.0.1:%1/update.ini").arg(closedPort));
        update.setProcessEnvironment(environment);
        update.start(folder.file(QStringLiteral("update")), {});
        QVERIFY(update.waitForStarted());

        QStringList names;
        QVERIFY(spinUntil(
            [&] {
                names.clear();
                for (WId window : managedWindows()) {
                    if (!before.contains(window))
                        names.append(netWmName(window));
                }
                return !names.isEmpty() && !names.contains(QString());
            },
            30000));
        update.kill();
        update.waitForFinished();
        QCOMPARE(names, QStringList{QStringLiteral("更新")});
    }

private:
    const X11Desktop& desktop_;
    std::unique_ptr<trovix::DesktopProgram> program_;
};

int main(int argc, char** argv)
{
    X11Desktop desktop;
    if (desktop.running()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", desktop.display().toLocal8Bit());
    }
    trovix::prepareDesktopApplication();
    int result = 0;
    {
        QApplication application(argc, argv);
        CaptionsX11Test test(desktop);
        result = QTest::qExec(&test, argc, argv);
    }
    return result;
}

#include "test_captions_x11.moc"
