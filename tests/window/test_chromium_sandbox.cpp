#include "window/DesktopProgram.h"

#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace trovix;

// The page processes run in Chromium's sandbox for every user but root.
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

    // What the program sets up for a user who is not root (root acts as nobody here).
    void programKeepsTheSandboxForAUser()
    {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (geteuid() == 0 && seteuid(65534) != 0)
                _exit(2);
            qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
            prepareDesktopApplication();
            _exit(qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") ? 1 : 0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }
};

QTEST_APPLESS_MAIN(ChromiumSandboxTest)
#include "test_chromium_sandbox.moc"
