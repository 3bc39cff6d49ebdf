#include "RecordingPrompter.h"
#include "StandIns.h"
#include "TempProgramFolder.h"
#include "UpdateServer.h"
#include "update/ExecutableProcesses.h"
#include "update/Form3.h"
#include "update/UpdateFlow.h"
#include "update/VersionComparison.h"

#include <QDir>
#include <QLabel>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace trovix;
using namespace std::chrono_literals;

namespace {

const QString NoUpdate = QStringLiteral("程序不需要更新");
const QString UpdateFound = QStringLiteral("程序有更新！");
const QString Preparing = QStringLiteral("正在准备更新.....请稍候");
const QString CheckFailed = QStringLiteral("无法检查更新");

using Snapshot = QMap<QString, QByteArray>;

Snapshot snapshot(const QString& folder)
{
    Snapshot files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, standin::fileBytes(folder + QLatin1Char('/') + name));
    return files;
}

} // namespace

// One program folder with its update server, window and flow.
struct Scenario {
    TempProgramFolder folder;
    UpdateServer server;
    TestPrograms programs;
    Form3 window;
    RecordingPrompter prompter;
    UpdateFlow::Settings settings;
    std::unique_ptr<UpdateFlow> flow;

    Scenario()
    {
        settings.programFolder = folder.path();
        settings.versionUrl = server.versionUrl();
        settings.executableUrl = server.executableUrl();
        settings.tickInterval = 20ms;
        settings.termWait = 2s;
        settings.killWait = 2s;
    }
    ~Scenario()
    {
        for (qint64 pid : ExecutableProcesses(trovix()).running())
            programs.adopt(pid);
    }

    QString trovix() const { return folder.file("Trovix"); }
    QString backup() const { return folder.file("Trovix.bak"); }

    // The installed stand-in, running, with its version recorded.
    qint64 runInstalledTrovix(const QStringList& environment = {})
    {
        if (!standin::install(trovix(), standin::installedBytes()))
            return 0;
        const qint64 pid = programs.start(trovix(), {}, environment);
        return QTest::qWaitFor(
                   [&] { return readInstalledVersion(folder.path()) == standin::InstalledVersion; })
                   ? pid
                   : 0;
    }

    void start()
    {
        flow = std::make_unique<UpdateFlow>(window, settings, prompter);
        flow->start();
    }

    bool isRunning(qint64 pid) const { return standin::executableOf(pid) == trovix(); }

    void offer(const QByteArray& version) { server.versionResponses = {UpdateServer::versionFile(version)}; }
    void serve(QList<UpdateServer::Response> responses) { server.executableResponses = std::move(responses); }

    bool waitForEnd()
    {
        QSignalSpy ended(flow.get(), &UpdateFlow::ended);
        return flow->hasEnded() || ended.wait(20000);
    }
};

class UpdateFlowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowAsDesigned()
    {
        Form3 window;
        QCOMPARE(window.windowTitle(), QStringLiteral("更新"));
        auto* label2 = window.findChild<QLabel*>("Label2");
        auto* label1 = window.findChild<QLabel*>("Label1");
        auto* timer = window.findChild<QTimer*>("Timer1");
        QVERIFY(label2 && label1 && timer);
        QCOMPARE(label2->text(), NoUpdate);
        QCOMPARE(label2->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(label2->font().bold());
        QCOMPARE(label2->font().pointSizeF(), 12.0);
        QVERIFY(label1->text().isEmpty());
        QVERIFY(label1->font().bold() && label1->font().underline());
        QCOMPARE(label1->font().pointSizeF(), 14.25);
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(!timer->isActive());
    }

    void sameVersionChangesOnlyTheVersionFile()
    {
        Scenario scenario;
        const qint64 trovix = scenario.runInstalledTrovix();
        QVERIFY(trovix);
        QVERIFY(standin::install(scenario.folder.file("update.ini"), "[Ver]\r\nnew=1.1\r\n"));
        Snapshot expected = snapshot(scenario.folder.path());
        scenario.offer(standin::InstalledVersion);
        expected["update.ini"] = scenario.server.versionResponses.first().body;

        scenario.start();

        QCOMPARE(snapshot(scenario.folder.path()), expected);
        QVERIFY(scenario.isRunning(trovix));
        QCOMPARE(scenario.window.Label2->text(), NoUpdate);
        QVERIFY(scenario.window.Label1->text().isEmpty());
        QVERIFY(!scenario.window.Timer1->isActive());
        QVERIFY(!scenario.flow->hasEnded());
        QCOMPARE(scenario.server.executableRequests, 0);
    }

    void failedCheckTouchesNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("not found") << 0;
        QTest::newRow("server error") << 1;
        QTest::newRow("cut off") << 2;
        QTest::newRow("no version offered") << 3;
        QTest::newRow("server down") << 4;
    }
    void failedCheckTouchesNothing()
    {
        QFETCH(int, kind);
        Scenario scenario;
        const qint64 trovix = scenario.runInstalledTrovix();
        QVERIFY(trovix);
        QVERIFY(standin::install(scenario.folder.file("update.ini"), "[Ver]\r\nnew=1.1\r\n"));
        Snapshot expected = snapshot(scenario.folder.path());
        const QList<UpdateServer::Response> responses{UpdateServer::status(404), UpdateServer::status(500),
                                                      UpdateServer::cutOff("[Ver]\r\nnew=2.0\r\n; padding"),
                                                      UpdateServer::ok("<html>portal</html>")};
        if (kind < responses.size()) {
            scenario.server.versionResponses = {responses.at(kind)};
            // A complete download is the server's version file, even one offering nothing.
            if (responses.at(kind).status == 200 && !responses.at(kind).cutOff)
                expected["update.ini"] = responses.at(kind).body;
        } else {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            scenario.settings.versionUrl =
                QUrl(QStringLiteral("http://127.0.0.1:%1/update.ini").arg(closed.serverPort()));
        }

        scenario.start();

        QCOMPARE(snapshot(scenario.folder.path()), expected);
        QVERIFY(scenario.isRunning(trovix));
        QCOMPARE(scenario.window.Label2->text(), CheckFailed);
        QVERIFY(scenario.window.Label1->text().isEmpty());
        QVERIFY(!scenario.window.Timer1->isActive());
        QVERIFY(scenario.prompter.asked.isEmpty());
    }

    void updatesStopsOnlyThisFoldersTrovix()
    {
        Scenario scenario;
        const qint64 trovix = scenario.runInstalledTrovix();
        QVERIFY(trovix);
        TempProgramFolder other;
        QVERIFY(standin::install(other.file("Trovix"), standin::installedBytes()));
        const qint64 otherTrovix = scenario.programs.start(other.file("Trovix"));
        QVERIFY(standin::install(scenario.folder.file("TrovixHelper"), standin::installedBytes()));
        const qint64 helper = scenario.programs.start(scenario.folder.file("TrovixHelper"));
        QTRY_COMPARE(readInstalledVersion(other.path()), standin::InstalledVersion);
        scenario.offer(standin::ServedVersion);
        scenario.serve({UpdateServer::ok(standin::servedBytes())});

        scenario.start();

        QVERIFY(!scenario.isRunning(trovix));
        QCOMPARE(scenario.window.Label2->text(), UpdateFound);
        QCOMPARE(scenario.window.Label1->text(), Preparing);
        QCOMPARE(standin::fileBytes(scenario.backup()), standin::installedBytes());
        QVERIFY(!QFile::exists(scenario.trovix()));
        QVERIFY(scenario.window.Timer1->isActive());

        QVERIFY(scenario.waitForEnd());
        QCOMPARE(scenario.flow->exitCode(), 0);
        QCOMPARE(standin::fileBytes(scenario.trovix()), standin::servedBytes());
        QVERIFY(standin::isExecutable(scenario.trovix()));
        QVERIFY(!QFile::exists(scenario.backup()));
        QVERIFY(!QFile::exists(scenario.trovix() + ".download"));
        QVERIFY(scenario.flow->startedTrovix() != 0);
        QTRY_COMPARE(readInstalledVersion(scenario.folder.path()), standin::ServedVersion);
        QVERIFY(scenario.isRunning(scenario.flow->startedTrovix()));
        QVERIFY(!scenario.window.isVisible());
        QVERIFY(!scenario.window.Timer1->isActive());
        QCOMPARE(scenario.server.executableRequests, 1);

        QCOMPARE(standin::executableOf(otherTrovix), other.file("Trovix"));
        QCOMPARE(standin::executableOf(helper), scenario.folder.file("TrovixHelper"));
    }

    void trovixIgnoringTheRequestIsForced()
    {
        Scenario scenario;
        scenario.settings.termWait = 200ms;
        const qint64 trovix = scenario.runInstalledTrovix({"TROVIX_STANDIN_IGNORE_TERM=1"});
        QVERIFY(trovix);
        scenario.offer(standin::ServedVersion);
        scenario.serve({UpdateServer::ok(standin::servedBytes())});

        scenario.start();

        QVERIFY(!scenario.isRunning(trovix));
        QVERIFY(QFile::exists(scenario.backup()));
        QVERIFY(scenario.waitForEnd());
    }

    void withoutTrovixTheFirstTickDownloads()
    {
        Scenario scenario;
        QVERIFY(standin::install(scenario.folder.file("config.ini"), "[Ver]\r\nappver=1.2\r\n"));
        scenario.offer(standin::ServedVersion);
        scenario.serve({UpdateServer::ok(standin::servedBytes())});
        bool backupSeen = false;
        scenario.server.onExecutableRequest = [&] {
            backupSeen = backupSeen || QFile::exists(scenario.backup());
        };

        scenario.start();

        QVERIFY(!QFile::exists(scenario.backup()));
        QCOMPARE(scenario.server.executableRequests, 0);
        QVERIFY(scenario.waitForEnd());
        QCOMPARE(scenario.server.executableRequests, 1);
        QVERIFY(!backupSeen);
        QCOMPARE(standin::fileBytes(scenario.trovix()), standin::servedBytes());
    }

    void failedDownloadsAreRetriedAndNeverInstalled()
    {
        Scenario scenario;
        QVERIFY(scenario.runInstalledTrovix());
        scenario.offer(standin::ServedVersion);
        scenario.serve({UpdateServer::status(404), UpdateServer::cutOff(standin::servedBytes()),
                        UpdateServer::status(503), UpdateServer::ok(standin::servedBytes())});
        struct Seen {
            QString label2, label1;
            bool trovix, backup;
        };
        QList<Seen> seen;
        scenario.server.onExecutableRequest = [&] {
            seen.append({scenario.window.Label2->text(), scenario.window.Label1->text(),
                         QFile::exists(scenario.trovix()), QFile::exists(scenario.backup())});
        };

        scenario.start();
        QVERIFY(scenario.waitForEnd());

        QCOMPARE(seen.size(), 4);
        for (const Seen& attempt : std::as_const(seen)) {
            QCOMPARE(attempt.label2, UpdateFound);
            QCOMPARE(attempt.label1, Preparing);
            QVERIFY(!attempt.trovix);
            QVERIFY(attempt.backup);
        }
        QCOMPARE(standin::fileBytes(scenario.trovix()), standin::servedBytes());
        QVERIFY(!QFile::exists(scenario.backup()));
        QTRY_COMPARE(readInstalledVersion(scenario.folder.path()), standin::ServedVersion);
    }

    void closingWhileDownloadsFailRestoresTheBackup()
    {
        Scenario scenario;
        QVERIFY(scenario.runInstalledTrovix());
        scenario.offer(standin::ServedVersion);
        scenario.serve({UpdateServer::status(503)});

        scenario.start();
        QTRY_VERIFY(scenario.server.executableRequests >= 3);
        QCOMPARE(scenario.window.Label1->text(), Preparing);
        scenario.window.close();

        QVERIFY(scenario.flow->hasEnded());
        QCOMPARE(standin::fileBytes(scenario.trovix()), standin::installedBytes());
        QVERIFY(standin::isExecutable(scenario.trovix()));
        QVERIFY(!QFile::exists(scenario.backup()));
        QVERIFY(!QFile::exists(scenario.trovix() + ".download"));
        QVERIFY(!scenario.window.Timer1->isActive());
        QVERIFY(ExecutableProcesses(scenario.trovix()).running().isEmpty());
    }

    void closingDuringADownloadWaitsForIt_data()
    {
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("download succeeds") << true;
        QTest::newRow("download cut off") << false;
    }
    void closingDuringADownloadWaitsForIt()
    {
        QFETCH(bool, succeeds);
        Scenario scenario;
        QVERIFY(scenario.runInstalledTrovix());
        scenario.offer(standin::ServedVersion);
        UpdateServer::Response response = succeeds ? UpdateServer::ok(standin::servedBytes())
                                                   : UpdateServer::cutOff(standin::servedBytes());
        response.delayMs = 200;
        scenario.serve({response});
        bool endedDuringDownload = true;
        scenario.server.onExecutableRequest = [&] {
            scenario.window.close();
            endedDuringDownload = scenario.flow->hasEnded();
        };

        scenario.start();
        QVERIFY(scenario.waitForEnd());

        QVERIFY(!endedDuringDownload);
        QCOMPARE(scenario.server.executableRequests, 1);
        QCOMPARE(scenario.flow->startedTrovix(), 0);
        QVERIFY(!QFile::exists(scenario.backup()));
        QCOMPARE(standin::fileBytes(scenario.trovix()),
                 succeeds ? standin::servedBytes() : standin::installedBytes());
        QVERIFY(ExecutableProcesses(scenario.trovix()).running().isEmpty());
    }

    void takenBackupNameEndsTheUpdate()
    {
        Scenario scenario;
        const qint64 trovix = scenario.runInstalledTrovix();
        QVERIFY(trovix);
        QVERIFY(standin::install(scenario.backup(), "an older backup"));
        scenario.offer(standin::ServedVersion);

        scenario.start();

        QVERIFY(scenario.flow->hasEnded());
        QCOMPARE(scenario.flow->exitCode(), 1);
        QCOMPARE(scenario.prompter.asked.size(), 1);
        QCOMPARE(scenario.prompter.asked.first().text, QString::fromLocal8Bit(std::strerror(EEXIST)));
        QCOMPARE(scenario.prompter.asked.first().icon, QMessageBox::Critical);
        QCOMPARE(standin::fileBytes(scenario.trovix()), standin::installedBytes());
        QCOMPARE(standin::fileBytes(scenario.backup()), QByteArray("an older backup"));
        QVERIFY(!scenario.window.Timer1->isActive());
        QCOMPARE(scenario.server.executableRequests, 0);
    }
};

QTEST_MAIN(UpdateFlowTest)
#include "test_update_flow.moc"
