#include "FileBytes.h"
#include "SigningKey.h"
#include "StandIns.h"
#include "TempProgramFolder.h"
#include "UpdateServer.h"
#include "common/Configuration.h"
#include "update/ExecutableProcesses.h"
#include "update/VersionComparison.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

using namespace Qt::StringLiterals;

using namespace trovix;

namespace {

const QString PausingUpdate = u"update-pausing"_s;
const QStringList FilesAfterUpdate{u"Trovix"_s, u"config.ini"_s, u"update"_s, u"update.ini"_s};

// The state letter of /proc/PID/stat: 'T' once the process has stopped itself.
char processState(qint64 pid)
{
    const QByteArray stat = fileBytes(u"/proc/%1/stat"_s.arg(pid));
    const int close = stat.lastIndexOf(')');
    return close >= 0 && close + 2 < stat.size() ? stat.at(close + 2) : '?';
}

} // namespace

// The real update program, run in a program folder of its own against a loopback
// update server, with a key made for the test.
class UpdateProgramTest : public QObject {
    Q_OBJECT

private:
    SigningKey key_;

    // The folder with update and the installed stand-in, running; the served stand-in on offer.
    bool prepare(const TempProgramFolder& folder, TestPrograms& programs, UpdateServer& server)
    {
        serveUpdate(server);
        return folder.copyFromBuild(u"update"_s) && programs.runInstalledTrovix(folder.path());
    }

    // The served stand-in, signed for the version offered.
    void serveUpdate(UpdateServer& server, const QByteArray& version = standin::ServedVersion)
    {
        server.responses[UpdateServer::VersionPath] = {UpdateServer::versionFile(version)};
        server.responses[UpdateServer::ExecutablePath] = {UpdateServer::ok(standin::servedBytes())};
        server.responses[UpdateServer::SignaturePath] = {
            UpdateServer::ok(key_.sign(standin::servedBytes(), "version:" + version + " file:Trovix"))};
    }

    // The signature's address is left to its default, the executable's + ".minisig".
    // With pauseAt, the test build of the program runs and stops itself at that point.
    bool setUp(QProcess& updater, const TempProgramFolder& folder, const UpdateServer& server,
               const QByteArray& pauseAt = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"TROVIX_UPDATE_VERSION_URL"_s, server.versionUrl().toString());
        environment.insert(u"TROVIX_UPDATE_EXECUTABLE_URL"_s, server.executableUrl().toString());
        environment.remove(u"TROVIX_UPDATE_SIGNATURE_URL"_s);
        environment.insert(u"TROVIX_UPDATE_PUBLIC_KEY"_s, QString::fromLatin1(key_.publicKeyLine()));
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        updater.setProcessEnvironment(environment);
        if (pauseAt.isEmpty()) {
            updater.setProgram(folder.file(u"update"_s));
            return true;
        }
        updater.setProgram(folder.file(PausingUpdate));
        updater.setArguments({QString::fromLatin1(pauseAt)});
        return standin::install(folder.file(PausingUpdate), fileBytes(QStringLiteral(UPDATE_PAUSING)));
    }

    void runCleanUpdate(const TempProgramFolder& folder, const UpdateServer& server, TestPrograms& programs)
    {
        QProcess updater;
        QVERIFY(setUp(updater, folder, server));
        QSignalSpy finished(&updater, &QProcess::finished);
        updater.start();
        QVERIFY(finished.wait(60000));
        expectCleanEnd(updater, folder, programs);
    }

    // A clean run ends with the served build in place and running, and nothing else left.
    static void expectCleanEnd(const QProcess& updater, const TempProgramFolder& folder,
                               TestPrograms& programs)
    {
        QCOMPARE(updater.exitStatus(), QProcess::NormalExit);
        QCOMPARE(updater.exitCode(), 0);
        standin::expectServedBuild(folder.path(), FilesAfterUpdate);
        const QList<qint64> running = ExecutableProcesses(folder.file(u"Trovix"_s)).running();
        for (qint64 pid : running)
            programs.adopt(pid);
        QCOMPARE(running.size(), 1);
    }

    // scripts/publish-update on a build folder holding the served stand-in that records
    // version, configured with publicKey unless it is null; the upload folder is made in
    // the build folder.
    static int publish(const TempProgramFolder& build, const QByteArray& version, const QString& secretKey,
                       const QString& lastRelease, const QByteArray& publicKey = {})
    {
        if (!standin::install(build.file(u"trovix-version"_s), version + '\n') ||
            !standin::install(build.file(u"Trovix"_s), standin::servedBytes()) ||
            (!publicKey.isNull() && !standin::install(build.file(u"CMakeCache.txt"_s),
                                                      "TROVIX_UPDATE_PUBLIC_KEY:STRING=" + publicKey + '\n')))
            return -1;
        QProcess script;
        script.start(QStringLiteral(PUBLISH_UPDATE),
                     {build.path(), secretKey, lastRelease, build.file(u"upload"_s)});
        script.closeWriteChannel();
        return script.waitForFinished(60000) && script.exitStatus() == QProcess::NormalExit
                   ? script.exitCode()
                   : -1;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(key_.isValid(), "minisign could not make the test key"); }

    void signatureAddressFollowsTheProgramsUnlessSet()
    {
        qputenv("TROVIX_UPDATE_EXECUTABLE_URL", "http://example.test/update/Trovix");
        qunsetenv("TROVIX_UPDATE_SIGNATURE_URL");
        QCOMPARE(config::updateSignatureUrl(), u"http://example.test/update/Trovix.minisig"_s);
        qputenv("TROVIX_UPDATE_SIGNATURE_URL", "http://example.test/signatures/Trovix.sig");
        QCOMPARE(config::updateSignatureUrl(), u"http://example.test/signatures/Trovix.sig"_s);
        qunsetenv("TROVIX_UPDATE_SIGNATURE_URL");
        qunsetenv("TROVIX_UPDATE_EXECUTABLE_URL");
    }

    void replacesAndRestartsTrovix()
    {
        TempProgramFolder folder;
        TestPrograms programs;
        UpdateServer server;
        QVERIFY(prepare(folder, programs, server));
        const QList<qint64> installed = ExecutableProcesses(folder.file(u"Trovix"_s)).running();
        TempProgramFolder other;
        const qint64 otherTrovix = programs.runInstalledTrovix(other.path());
        QVERIFY(otherTrovix);
        server.responses[UpdateServer::ExecutablePath].prepend(UpdateServer::status(404));

        runCleanUpdate(folder, server, programs);

        QCOMPARE(server.requests(UpdateServer::ExecutablePath), 2);
        QVERIFY(standin::isExecutable(folder.file(u"Trovix"_s)));
        QCOMPARE(installed.size(), 1);
        QVERIFY(standin::executableOf(installed.first()).isEmpty());
        QCOMPARE(standin::executableOf(otherTrovix), other.file(u"Trovix"_s));
    }

    void twoUpdatersStartedTogether()
    {
        TempProgramFolder folder;
        TestPrograms programs;
        UpdateServer server;
        QVERIFY(prepare(folder, programs, server));
        server.responses[UpdateServer::VersionPath].prepend(
            UpdateServer::held(UpdateServer::versionFile(standin::ServedVersion)));
        const QStringList before = standin::fileNames(folder.path());
        const QByteArray trovixBefore = fileBytes(folder.file(u"Trovix"_s));

        QProcess first, second;
        QVERIFY(setUp(first, folder, server));
        QVERIFY(setUp(second, folder, server));
        first.start();
        second.start();
        QTRY_VERIFY_WITH_TIMEOUT(server.requests(UpdateServer::VersionPath) == 1 &&
                                     (first.state() == QProcess::NotRunning) !=
                                         (second.state() == QProcess::NotRunning),
                                 30000);

        QProcess& loser = first.state() == QProcess::NotRunning ? first : second;
        QProcess& winner = &loser == &first ? second : first;
        QCOMPARE(loser.exitStatus(), QProcess::NormalExit);
        QCOMPARE(loser.exitCode(), 0);
        QCOMPARE(standin::fileNames(folder.path()), before);
        QCOMPARE(fileBytes(folder.file(u"Trovix"_s)), trovixBefore);
        QCOMPARE(ExecutableProcesses(folder.file(u"Trovix"_s)).running().size(), 1);

        QSignalSpy winnerFinished(&winner, &QProcess::finished);
        server.release();
        QVERIFY(winnerFinished.wait(60000));
        QCOMPARE(server.requests(UpdateServer::VersionPath), 1);
        expectCleanEnd(winner, folder, programs);
    }

    void killedAnywhereLeavesARunnableTrovix_data()
    {
        QTest::addColumn<QByteArray>("hungPath"); // the server stops half-way here
        QTest::addColumn<QByteArray>("pauseAt");  // or the program stops itself here
        QTest::newRow("during the version check") << UpdateServer::VersionPath << QByteArray();
        QTest::newRow("during the signature transfer") << UpdateServer::SignaturePath << QByteArray();
        QTest::newRow("during the program transfer") << UpdateServer::ExecutablePath << QByteArray();
        QTest::newRow("with the build verified") << QByteArray() << QByteArray("verified");
        QTest::newRow("while Trovix is asked to end") << QByteArray() << QByteArray("stopping");
        QTest::newRow("with Trovix ended") << QByteArray() << QByteArray("stopped");
        QTest::newRow("right after the swap") << QByteArray() << QByteArray("swapped");
        QTest::newRow("with the new Trovix started") << QByteArray() << QByteArray("started");
    }
    void killedAnywhereLeavesARunnableTrovix()
    {
        QFETCH(QByteArray, hungPath);
        QFETCH(QByteArray, pauseAt);
        TempProgramFolder folder;
        TestPrograms programs;
        UpdateServer server;
        QVERIFY(prepare(folder, programs, server));
        if (!hungPath.isEmpty())
            server.responses[hungPath] = {UpdateServer::hangHalfWay(server.responses[hungPath].first().body)};
        QSignalSpy hanging(&server, &UpdateServer::hanging);

        QProcess updater;
        QVERIFY(setUp(updater, folder, server, pauseAt));
        updater.start();
        QVERIFY(updater.waitForStarted(30000));
        const qint64 pid = updater.processId();
        if (!hungPath.isEmpty()) {
            QVERIFY(hanging.wait(30000));
            if (hungPath == UpdateServer::ExecutablePath)
                QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(folder.file(u"Trovix.download"_s)).size() > 0, 30000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(processState(pid), 'T', 30000);
        }
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QVERIFY(updater.waitForFinished(30000));
        QFile::remove(folder.file(PausingUpdate));
        // A build the killed program started may still be recording its version.
        QTRY_VERIFY(standin::allRecorded(folder.file(u"Trovix"_s)));

        // A complete build, and it runs: it records its own version.
        const QByteArray trovix = fileBytes(folder.file(u"Trovix"_s));
        QVERIFY(trovix == standin::installedBytes() || trovix == standin::servedBytes());
        QVERIFY(standin::isExecutable(folder.file(u"Trovix"_s)));
        QVERIFY(QFile::remove(folder.file(u"config.ini"_s)));
        QVERIFY(programs.start(folder.file(u"Trovix"_s)));
        QTRY_COMPARE(readRecordedVersion(folder.programFolder()),
                     trovix == standin::servedBytes() ? standin::ServedVersion : standin::InstalledVersion);

        // Offered as a later version, whichever build the folder holds now.
        serveUpdate(server, "2.1");
        runCleanUpdate(folder, server, programs);
    }
    void publishedUpdateIsInstalled()
    {
        TempProgramFolder build;
        QCOMPARE(publish(build, standin::ServedVersion, key_.secretKeyFile(), u"1.2"_s, key_.publicKeyLine()),
                 0);
        const QString upload = build.file(u"upload"_s);
        QCOMPARE(standin::fileNames(upload),
                 QStringList({u"Trovix"_s, u"Trovix.minisig"_s, u"update.ini"_s}));

        TempProgramFolder folder;
        TestPrograms programs;
        UpdateServer server;
        QVERIFY(prepare(folder, programs, server));
        const auto uploaded = [&](const QString& name) { return UpdateServer::ok(fileBytes(upload + name)); };
        server.responses[UpdateServer::VersionPath] = {uploaded(u"/update.ini"_s)};
        server.responses[UpdateServer::ExecutablePath] = {uploaded(u"/Trovix"_s)};
        server.responses[UpdateServer::SignaturePath] = {uploaded(u"/Trovix.minisig"_s)};
        runCleanUpdate(folder, server, programs);
    }

    void publishingRefuses_data()
    {
        QTest::addColumn<QByteArray>("recorded"); // by the build
        QTest::addColumn<QString>("lastRelease");
        QTest::addColumn<bool>("validKey");
        QTest::addColumn<QByteArray>("buildKey"); // the public key the build carries; null: none
        const QByteArray none;
        QTest::newRow("same as the last release") << QByteArray("2.0") << u"2.0"_s << true << none;
        QTest::newRow("same with a zero part") << QByteArray("2.0") << u"2.0.0"_s << true << none;
        QTest::newRow("lower than the last release") << QByteArray("2.0") << u"2.0.1"_s << true << none;
        QTest::newRow("lower as numbers, higher as bytes") << QByteArray("1.9") << u"1.10"_s << true << none;
        QTest::newRow("last release no version") << QByteArray("2.0") << u"v1.2"_s << true << none;
        QTest::newRow("build records no version") << QByteArray("2.0-rc") << u"1.2"_s << true << none;
        QTest::newRow("no such key") << QByteArray("2.0") << u"1.2"_s << false << none;
        QTest::newRow("longer than the record keeps")
            << "2" + QByteArray(".0").repeated(128) << u"1.2"_s << true << none;
        QTest::newRow("key of another build")
            << QByteArray("2.0") << u"1.2"_s << true << SigningKey().publicKeyLine();
    }
    void publishingRefuses()
    {
        QFETCH(QByteArray, recorded);
        QFETCH(QString, lastRelease);
        QFETCH(bool, validKey);
        QFETCH(QByteArray, buildKey);
        TempProgramFolder build;
        const QString secretKey = validKey ? key_.secretKeyFile() : build.file(u"missing.key"_s);
        QCOMPARE(publish(build, recorded, secretKey, lastRelease, buildKey), 1);
        QStringList files{u"Trovix"_s, u"trovix-version"_s};
        if (!buildKey.isNull())
            files.prepend(u"CMakeCache.txt"_s);
        QCOMPARE(standin::fileNames(build.path()), files);
        QVERIFY(QDir(build.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }

    // The build folder's record and the version compiled into it are one text.
    void buildRecordsItsCompiledVersion()
    {
        const QString recorded = QString::fromUtf8(
            fileBytes(TempProgramFolder::builtProgramFolder().path() + u"/trovix-version"_s));
        QCOMPARE(recorded, config::versionText() + u'\n');
    }
};

QTEST_GUILESS_MAIN(UpdateProgramTest)
#include "test_update_program.moc"
