#include "window/DesktopProgram.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

using namespace trovix;

namespace {

const char* const sandboxVariable = "QTWEBENGINE_DISABLE_SANDBOX";
int reportPipe = -1;

// Processes whose parent is this one.
int childProcesses()
{
    int children = 0;
    const QString self = QString::number(getpid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid ...": the name may hold blanks.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.value(1) == self.toLatin1())
            ++children;
    }
    return children;
}

// Runs in the program's application: answers the first message box once it is open and
// reports its caption, its text and how many child processes there are by then; a main
// window instead ends the program at once.
void answerTheFirstBox()
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            const QByteArray report = (box->windowTitle() + QLatin1Char('\n') +
                                       QString::number(childProcesses()) + QLatin1Char('\n') + box->text())
                                          .toUtf8();
            (void)!write(reportPipe, report.constData(), size_t(report.size()));
            box->button(QMessageBox::Ok)->click();
        } else {
            const QWidgetList windows = QApplication::topLevelWidgets();
            if (std::any_of(windows.begin(), windows.end(),
                            [](QWidget* window) { return window->isVisible(); }))
                QCoreApplication::exit(0);
        }
    });
    poll->start(10);
}

} // namespace

// Started by root, Trovix runs only with Chromium's sandbox switched off on purpose.
class ChromiumSandboxTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sandboxIsOffOnlyForRoot_data()
    {
        QTest::addColumn<uint>("user");
        QTest::addColumn<bool>("off");
        QTest::newRow("root") << 0u << true;
        QTest::newRow("first user") << 1000u << false;
        QTest::newRow("nobody") << 65534u << false;
    }

    void sandboxIsOffOnlyForRoot()
    {
        QFETCH(uint, user);
        QFETCH(bool, off);
        QCOMPARE(chromiumSandboxMustBeOff(uid_t(user)), off);
    }

    void rootStartsOnlyWithTheSandboxSwitchedOffOnPurpose_data()
    {
        QTest::addColumn<uint>("user");
        QTest::addColumn<bool>("noSandbox");
        QTest::addColumn<QByteArray>("variable"); // empty: not set
        QTest::addColumn<bool>("starts");
        QTest::addColumn<bool>("variableOne"); // QTWEBENGINE_DISABLE_SANDBOX=1 afterwards
        QTest::newRow("root") << 0u << false << QByteArray() << false << false;
        QTest::newRow("root, --no-sandbox") << 0u << true << QByteArray() << true << true;
        QTest::newRow("root, variable 1") << 0u << false << QByteArray("1") << true << true;
        QTest::newRow("root, variable 0") << 0u << false << QByteArray("0") << false << false;
        // Root acts as nobody here.
        QTest::newRow("nobody") << 65534u << false << QByteArray() << true << false;
        QTest::newRow("nobody, --no-sandbox") << 65534u << true << QByteArray() << true << true;
    }

    void rootStartsOnlyWithTheSandboxSwitchedOffOnPurpose()
    {
        QFETCH(uint, user);
        QFETCH(bool, noSandbox);
        QFETCH(QByteArray, variable);
        QFETCH(bool, starts);
        QFETCH(bool, variableOne);
        if (geteuid() != 0 && user == 0)
            QSKIP("needs root");
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (geteuid() == 0 && user != 0 && seteuid(user) != 0)
                _exit(100);
            qunsetenv(sandboxVariable);
            if (!variable.isEmpty())
                qputenv(sandboxVariable, variable);
            prepareDesktopApplication();
            QStringList arguments{QStringLiteral("Trovix")};
            if (noSandbox)
                arguments << QStringLiteral("--no-sandbox");
            const bool started = sandboxChoiceAllowsStart(arguments);
            _exit((started ? 1 : 0) | (qgetenv(sandboxVariable) == "1" ? 2 : 0));
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), (starts ? 1 : 0) | (variableOne ? 2 : 0));
    }

    void rootWithoutTheSwitchIsToldWhyAndNoBrowserStarts()
    {
        if (geteuid() != 0)
            QSKIP("needs root");
        int fds[2];
        QCOMPARE(pipe(fds), 0);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            close(fds[0]);
            reportPipe = fds[1];
            qunsetenv(sandboxVariable);
            // Should it start after all, nothing leaves this machine.
            qputenv("TROVIX_HOME_PAGE", "http://127.0.0.1:9/");
            qAddPreRoutine(answerTheFirstBox);
            char name[] = "Trovix";
            char* argv[] = {name, nullptr};
            _exit(runDesktopProgram(1, argv));
        }
        close(fds[1]);
        QByteArray report;
        char buffer[4096];
        for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;)
            report.append(buffer, got);
        close(fds[0]);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);

        const QStringList seen = QString::fromUtf8(report).split(QLatin1Char('\n'));
        QCOMPARE(seen.value(0), QStringLiteral("Trovix"));
        QCOMPARE(seen.value(1), QStringLiteral("0"));
        const QString text = seen.mid(2).join(QLatin1Char('\n'));
        QCOMPARE(text, sandboxRefusal().text);
        QVERIFY(text.contains(QStringLiteral("--no-sandbox")));
        QVERIFY(text.contains(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX=1")));
        QVERIFY(WIFEXITED(status));
        QVERIFY(WEXITSTATUS(status) != 0);
    }
};

QTEST_APPLESS_MAIN(ChromiumSandboxTest)
#include "test_chromium_sandbox.moc"
