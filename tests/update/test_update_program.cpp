#include "StandIns.h"
#include "TempProgramFolder.h"
#include "UpdateServer.h"
#include "update/ExecutableProcesses.h"
#include "update/VersionComparison.h"

#include <QProcess>
#include <QtTest>

using namespace trovix;

// The real update program, run in a program folder of its own.
class UpdateProgramTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replacesAndRestartsTrovix()
    {
        TempProgramFolder folder;
        QVERIFY(folder.copyFromBuild("update"));
        QVERIFY(standin::install(folder.file("Trovix"), standin::installedBytes()));
        TestPrograms programs;
        const qint64 installed = programs.start(folder.file("Trovix"));
        TempProgramFolder other;
        QVERIFY(standin::install(other.file("Trovix"), standin::installedBytes()));
        const qint64 otherTrovix = programs.start(other.file("Trovix"));
        QTRY_COMPARE(readInstalledVersion(folder.path()), standin::InstalledVersion);
        QTRY_COMPARE(readInstalledVersion(other.path()), standin::InstalledVersion);

        UpdateServer server;
        server.versionResponses = {UpdateServer::versionFile(standin::ServedVersion)};
        server.executableResponses = {UpdateServer::status(404), UpdateServer::ok(standin::servedBytes())};

        QProcess updater;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TROVIX_UPDATE_VERSION_URL", server.versionUrl().toString());
        environment.insert("TROVIX_UPDATE_EXECUTABLE_URL", server.executableUrl().toString());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        updater.setProcessEnvironment(environment);
        updater.setProgram(folder.file("update"));
        QSignalSpy finished(&updater, &QProcess::finished);
        updater.start();
        QVERIFY(finished.wait(30000));
        QCOMPARE(updater.exitStatus(), QProcess::NormalExit);
        QCOMPARE(updater.exitCode(), 0);

        QCOMPARE(server.executableRequests, 2);
        QCOMPARE(standin::fileBytes(folder.file("Trovix")), standin::servedBytes());
        QVERIFY(standin::isExecutable(folder.file("Trovix")));
        QVERIFY(!QFile::exists(folder.file("Trovix.bak")));
        QTRY_COMPARE(readInstalledVersion(folder.path()), standin::ServedVersion);
        const QList<qint64> running = ExecutableProcesses(folder.file("Trovix")).running();
        for (qint64 pid : running)
            programs.adopt(pid);
        QCOMPARE(running.size(), 1);
        QVERIFY(running.first() != installed);
        QCOMPARE(standin::executableOf(otherTrovix), other.file("Trovix"));
    }
};

QTEST_GUILESS_MAIN(UpdateProgramTest)
#include "test_update_program.moc"
