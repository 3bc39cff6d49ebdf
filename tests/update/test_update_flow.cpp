#include "FileBytes.h"
#include "FreePort.h"
#include "RecordingPrompter.h"
#include "SigningKey.h"
#include "StandIns.h"
#include "TempProgramFolder.h"
#include "UpdateServer.h"
#include "VersionMarkers.h"
#include "update/ExecutableProcesses.h"
#include "update/Form3.h"
#include "update/UpdateFlow.h"
#include "update/VersionComparison.h"

#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

using namespace trovix;
using namespace std::chrono_literals;
using Response = UpdateServer::Response;
using Responses = QList<Response>;

Q_DECLARE_METATYPE(UpdateServer::Response)

namespace {

const QString NoUpdate = u"程序不需要更新"_s;
const QString UpdateFound = u"程序有更新！"_s;
const QString Preparing = u"正在准备更新.....请稍候"_s;
const QString CheckFailed = u"无法检查更新"_s;
const QString UnknownInstalled = u"无法确定已安装的版本，不安装更新"_s;
const QString NoKey = u"缺少更新公钥，无法安装更新"_s;
const QString Refused = u"更新文件签名无效，已拒绝安装"_s;
const QString InstallFailed = u"更新失败，原程序未改动"_s;

const QByteArray ServedComment = "version:" + standin::ServedVersion + " file:Trovix";

using Snapshot = QMap<QString, QByteArray>;

Snapshot snapshot(const QString& folder)
{
    Snapshot files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, fileBytes(folder + QLatin1Char('/') + name));
    return files;
}

} // namespace

// One program folder with its update server, signing key, window and flow.
struct Scenario {
    TempProgramFolder folder;
    UpdateServer server;
    SigningKey key;
    TestPrograms programs;
    Form3 window;
    RecordingPrompter prompter;
    UpdateFlow::Settings settings{folder.programFolder()};
    std::unique_ptr<UpdateFlow> flow;
    qint64 installed = 0;
    QList<QStringList> transfers;

    Scenario()
    {
        settings.versionUrl = server.versionUrl();
        settings.executableUrl = server.executableUrl();
        settings.signatureUrl = server.signatureUrl();
        settings.publicKey = key.publicKeyLine();
        settings.tickInterval = 20ms;
        settings.termWait = 2s;
        settings.killWait = 2s;
        settings.stallTimeout = 60s;
    }
    ~Scenario()
    {
        flow.reset();
        for (qint64 pid : ExecutableProcesses(trovix()).running())
            programs.adopt(pid);
    }

    QString trovix() const { return folder.file(u"Trovix"_s); }

    // The installed stand-in, running, with its version recorded.
    bool runInstalledTrovix(const QStringList& environment = {},
                            const QByteArray& bytes = standin::installedBytes())
    {
        installed = programs.runInstalledTrovix(folder.path(), environment, bytes);
        return installed != 0;
    }
    bool installedRuns() const { return isRunning(installed); }
    // config.ini as given, after the installed Trovix recorded its version: null keeps
    // that record, empty removes the file.
    bool setRecord(const QByteArray& record)
    {
        if (record.isNull())
            return true;
        const QString file = folder.file(u"config.ini"_s);
        return record.isEmpty() ? QFile::remove(file)
                                : standin::install(file, "[Ver]\r\nappver=" + record + "\r\n");
    }

    void start()
    {
        flow = std::make_unique<UpdateFlow>(window, settings, prompter);
        flow->start();
    }

    bool isRunning(qint64 pid) const { return standin::executableOf(pid) == trovix(); }

    // The folder as a check that offered the server's version file leaves it.
    Snapshot afterCheck() const
    {
        Snapshot files = snapshot(folder.path());
        files[u"update.ini"_s] = server.responses[UpdateServer::VersionPath].first().body;
        return files;
    }

    // Every transfer after the check records the window's texts and whether the
    // installed Trovix still runs.
    void watchTransfers()
    {
        QObject::connect(&server, &UpdateServer::requested, [this](const QByteArray& path) {
            if (path != UpdateServer::VersionPath)
                transfers.append({window.Label2->text(), window.Label1->text(),
                                  installedRuns() ? u"running"_s : u"ended"_s});
        });
    }
    // Each transfer happened with the update shown under way and the old Trovix running.
    bool transfersRanBeforeTheStop() const
    {
        return transfers == QList<QStringList>(transfers.size(), {UpdateFound, Preparing, u"running"_s});
    }

    void offer(const QByteArray& version)
    {
        server.responses[UpdateServer::VersionPath] = {UpdateServer::versionFile(version)};
    }
    // The served build on offer and signed.
    void offerSignedUpdate()
    {
        offer(standin::ServedVersion);
        serveSigned();
    }
    void serve(const Responses& executable, const Responses& signature)
    {
        server.responses[UpdateServer::ExecutablePath] = executable;
        server.responses[UpdateServer::SignaturePath] = signature;
    }
    // The served stand-in with a good signature for it, made for the version given.
    void serveSigned(const QByteArray& bytes = standin::servedBytes(), bool legacy = false,
                     const QByteArray& version = standin::ServedVersion)
    {
        serve({UpdateServer::ok(bytes)},
              {UpdateServer::ok(key.sign(bytes, "version:" + version + " file:Trovix", legacy))});
    }

    bool waitForWindow()
    {
        return QTest::qWaitFor([&] { return window.isVisible(); }, 20000);
    }
    bool waitForEnd()
    {
        QSignalSpy ended(flow.get(), &UpdateFlow::ended);
        return flow->hasEnded() || ended.wait(30000);
    }
};

// The window shows the verdict of a check that went no further, with the folder and the
// installed Trovix as they were, and closing it ends the update with exitCode.
void expectSettled(Scenario& scenario, const QString& verdict, const Snapshot& expected, int exitCode)
{
    QVERIFY(scenario.window.isVisible());
    QCOMPARE(scenario.window.Label2->text(), verdict);
    QVERIFY(scenario.window.Label1->text().isEmpty());
    QVERIFY(!scenario.window.Timer1->isActive());
    QCOMPARE(snapshot(scenario.folder.path()), expected);
    QVERIFY(scenario.installedRuns());
    QVERIFY(scenario.prompter.asked.isEmpty());
    QVERIFY(!scenario.flow->hasEnded());

    scenario.window.close();
    QVERIFY(scenario.flow->hasEnded());
    QCOMPARE(scenario.flow->exitCode(), exitCode);
    QCOMPARE(snapshot(scenario.folder.path()), expected);
    QVERIFY(scenario.installedRuns());
}

// The served build went in and started, and the update left nothing behind it.
void expectServedBuildInPlace(Scenario& scenario)
{
    QCOMPARE(scenario.flow->exitCode(), 0);
    standin::expectServedBuild(scenario.folder.path(), {u"Trovix"_s, u"config.ini"_s, u"update.ini"_s});
}

class UpdateFlowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(SigningKey().isValid(), "minisign could not make a key"); }

    void windowAsDesigned()
    {
        Form3 window;
        QCOMPARE(window.windowTitle(), u"更新"_s);
        auto* label2 = window.findChild<QLabel*>(u"Label2"_s);
        auto* label1 = window.findChild<QLabel*>(u"Label1"_s);
        auto* timer = window.findChild<QTimer*>(u"Timer1"_s);
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

    // Only update.ini may change, and only to a complete download of the server's file.
    void checkThatGoesNoFurtherTouchesNothing_data()
    {
        QTest::addColumn<Response>("response");
        QTest::addColumn<bool>("serverDown");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QByteArray>("signedFor"); // the served build's version; empty: none served
        QTest::addColumn<QByteArray>("publicKey"); // null: the scenario's own
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("record"); // see Scenario::setRecord
        QTest::addColumn<QByteArray>("marker"); // the installed Trovix's; null: as built, empty: none
        const auto row = [](const QByteArray& name, const Response& response, const QString& verdict,
                            const QByteArray& signedFor = {}, const QByteArray& publicKey = {},
                            int exitCode = 0, const QByteArray& record = {}, const QByteArray& marker = {}) {
            QTest::newRow(name.constData())
                << response << false << verdict << signedFor << publicKey << exitCode << record << marker;
        };
        const QByteArray offer = "[Ver]\r\nnew=2.0\r\n; padding";
        // A build signed for the version offered, which is not higher than the installed one.
        for (const QByteArray& offered :
             {standin::InstalledVersion, QByteArray("1.1"), QByteArray("2.0-beta")})
            row(offered + " offered", UpdateServer::versionFile(offered), NoUpdate, offered);
        row("not found", UpdateServer::status(404), CheckFailed);
        row("server error", UpdateServer::status(500), CheckFailed);
        row("cut off", UpdateServer::cutOff(offer), CheckFailed);
        row("no version offered", UpdateServer::webPage(), CheckFailed);
        row("transfer hangs", UpdateServer::hangHalfWay(offer), CheckFailed);
        QTest::newRow("server down") << Response() << true << CheckFailed << QByteArray() << QByteArray() << 0
                                     << QByteArray() << QByteArray();
        // An update on offer, but no key to check it with: nothing is fetched.
        const QByteArray served = standin::ServedVersion;
        row("no key", UpdateServer::versionFile(served), NoKey, served, "", 1);
        row("not a key", UpdateServer::versionFile(served), NoKey, served, "RWSnot+a+key", 1);
        // The installed version from the executable's marker and config.ini, the higher counting.
        const Response older = UpdateServer::versionFile("1.1");
        row("no record, no marker", UpdateServer::versionFile(served), UnknownInstalled, served, {}, 1, "",
            "");
        row("damaged record, no marker", UpdateServer::versionFile(served), UnknownInstalled, served, {}, 1,
            "1.2\x01", "");
        row("no record, marker tells 1.2", older, NoUpdate, "1.1", {}, 0, "");
        row("record lowered to 1.0", older, NoUpdate, "1.1", {}, 0, "1.0");
        row("marker lower than the record", older, NoUpdate, "1.1", {}, 0, {}, "1.0");
    }
    void checkThatGoesNoFurtherTouchesNothing()
    {
        QFETCH(Response, response);
        QFETCH(bool, serverDown);
        QFETCH(QString, verdict);
        QFETCH(QByteArray, signedFor);
        QFETCH(QByteArray, publicKey);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, record);
        QFETCH(QByteArray, marker);
        Scenario scenario;
        scenario.settings.stallTimeout = 300ms;
        if (!publicKey.isNull())
            scenario.settings.publicKey = publicKey;
        const QByteArray installed = standin::installedBytes();
        QVERIFY(scenario.runInstalledTrovix(
            {}, marker.isNull() ? installed : remarked(installed, standin::InstalledVersion, marker)));
        QVERIFY(scenario.setRecord(record));
        QVERIFY(standin::install(scenario.folder.file(u"update.ini"_s), "[Ver]\r\nnew=1.1\r\n"));
        Snapshot expected = snapshot(scenario.folder.path());
        if (serverDown) {
            const quint16 port = freeLoopbackPort();
            QVERIFY(port != 0);
            scenario.settings.versionUrl = QUrl(u"http://127.0.0.1:%1/update.ini"_s.arg(port));
        } else {
            scenario.server.responses[UpdateServer::VersionPath] = {response};
            if (!signedFor.isEmpty())
                scenario.serveSigned(standin::servedBytes(), false, signedFor);
            if (response.status == 200 && response.sentBytes < 0)
                expected[u"update.ini"_s] = response.body;
        }

        scenario.start();
        QVERIFY(!scenario.window.isVisible());
        QVERIFY(scenario.waitForWindow());

        QCOMPARE(scenario.server.requests(UpdateServer::SignaturePath), 0);
        QCOMPARE(scenario.server.requests(UpdateServer::ExecutablePath), 0);
        expectSettled(scenario, verdict, expected, exitCode);
    }

    void signedUpdateGoesIn_data()
    {
        QTest::addColumn<bool>("legacy");
        QTest::addColumn<QByteArray>("versionFile");
        QTest::addColumn<bool>("ignoresTerm"); // the old Trovix, which has to be killed
        QTest::addColumn<bool>("closedWhileStopping");
        QTest::addColumn<QByteArray>("record"); // see Scenario::setRecord
        const QByteArray plain = "[Ver]\r\nnew=" + standin::ServedVersion + "\r\n";
        const QByteArray kept;
        QTest::newRow("prehashed signature") << false << plain << false << false << kept;
        QTest::newRow("legacy signature") << true << plain << false << false << kept;
        QTest::newRow("version file with a byte-order mark")
            << false << "\xEF\xBB\xBF" + plain << false << false << kept;
        QTest::newRow("Trovix ignoring the request to end") << false << plain << true << false << kept;
        QTest::newRow("window closed while Trovix is stopped") << false << plain << true << true << kept;
        QTest::newRow("no record, the marker tells") << false << plain << false << false << QByteArray("");
    }
    void signedUpdateGoesIn()
    {
        QFETCH(bool, legacy);
        QFETCH(QByteArray, versionFile);
        QFETCH(bool, ignoresTerm);
        QFETCH(bool, closedWhileStopping);
        QFETCH(QByteArray, record);
        Scenario scenario;
        if (ignoresTerm)
            scenario.settings.termWait = closedWhileStopping ? 60s : 200ms;
        QVERIFY(scenario.runInstalledTrovix(ignoresTerm ? QStringList{u"TROVIX_STANDIN_IGNORE_TERM=1"_s}
                                                        : QStringList()));
        QVERIFY(scenario.setRecord(record));
        TempProgramFolder other;
        const qint64 otherTrovix = scenario.programs.runInstalledTrovix(other.path());
        QVERIFY(otherTrovix);
        QVERIFY(standin::install(scenario.folder.file(u"TrovixHelper"_s), standin::installedBytes()));
        const qint64 helper = scenario.programs.start(scenario.folder.file(u"TrovixHelper"_s));
        scenario.server.responses[UpdateServer::VersionPath] = {UpdateServer::ok(versionFile)};
        scenario.serveSigned(standin::servedBytes(), legacy);
        scenario.watchTransfers();

        scenario.start();
        if (closedWhileStopping) {
            QTRY_VERIFY_WITH_TIMEOUT(scenario.server.requests(UpdateServer::ExecutablePath) == 1 &&
                                         !scenario.window.Timer1->isActive(),
                                     20000);
            QVERIFY(scenario.installedRuns());
            scenario.window.close();
        }
        QVERIFY(scenario.waitForEnd());

        QCOMPARE(scenario.transfers.size(), 2);
        QVERIFY(scenario.transfersRanBeforeTheStop());
        QCOMPARE(scenario.flow->exitCode(), 0);
        QVERIFY(scenario.prompter.asked.isEmpty());
        QVERIFY(!scenario.installedRuns());
        QVERIFY(standin::isExecutable(scenario.trovix()));
        QVERIFY(scenario.flow->startedTrovix() != 0);
        QVERIFY(scenario.isRunning(scenario.flow->startedTrovix()));
        QVERIFY(!scenario.window.isVisible());
        QVERIFY(!scenario.window.Timer1->isActive());
        QCOMPARE(scenario.server.requests(UpdateServer::ExecutablePath), 1);

        QCOMPARE(standin::executableOf(otherTrovix), other.file(u"Trovix"_s));
        QCOMPARE(standin::executableOf(helper), scenario.folder.file(u"TrovixHelper"_s));
        standin::expectServedBuild(scenario.folder.path(),
                                   {u"Trovix"_s, u"TrovixHelper"_s, u"config.ini"_s, u"update.ini"_s});
    }

    void refusedBuildChangesNothing_data()
    {
        QTest::addColumn<int>("build");  // 0 served, 1 a web page, 2 half the served one
        QTest::addColumn<int>("signer"); // 0 the key, 1 another key, 2 a web page
        QTest::addColumn<QByteArray>("signedContent");
        QTest::addColumn<QByteArray>("comment");
        const QByteArray served = standin::servedBytes();
        QTest::newRow("signature by another key") << 0 << 1 << served << ServedComment;
        QTest::newRow("signature for another version") << 0 << 0 << served << QByteArray("version:1.9");
        QTest::newRow("version token missing") << 0 << 0 << served << QByteArray("file:Trovix");
        QTest::newRow("file token missing") << 0 << 0 << served << "version:" + standin::ServedVersion;
        QTest::newRow("signed for another file")
            << 0 << 0 << served << "version:" + standin::ServedVersion + " file:update";
        QTest::newRow("signature of another build") << 0 << 0 << standin::installedBytes() << ServedComment;
        QTest::newRow("web page in place of the program") << 1 << 0 << served << ServedComment;
        QTest::newRow("cut-off transfer without a length") << 2 << 0 << served << ServedComment;
        QTest::newRow("web page in place of the signature") << 0 << 2 << served << ServedComment;
    }
    void refusedBuildChangesNothing()
    {
        QFETCH(int, build);
        QFETCH(int, signer);
        QFETCH(QByteArray, signedContent);
        QFETCH(QByteArray, comment);
        Scenario scenario;
        QVERIFY(scenario.runInstalledTrovix());
        scenario.offer(standin::ServedVersion);
        const Snapshot expected = scenario.afterCheck();
        const Responses builds{UpdateServer::ok(standin::servedBytes()), UpdateServer::webPage(),
                               UpdateServer::cutOffUnannounced(standin::servedBytes())};
        SigningKey otherKey;
        const Responses signatures{UpdateServer::ok(scenario.key.sign(signedContent, comment)),
                                   UpdateServer::ok(otherKey.sign(signedContent, comment)),
                                   UpdateServer::webPage()};
        scenario.serve({builds.at(build)}, {signatures.at(signer)});

        scenario.start();
        QTRY_COMPARE_WITH_TIMEOUT(scenario.window.Label2->text(), Refused, 20000);

        // Not fetched again: no tick is left to do it.
        QCOMPARE(scenario.server.requests(UpdateServer::ExecutablePath), 1);
        expectSettled(scenario, Refused, expected, 1);
    }

    void failedTransfersAreRetried_data()
    {
        QTest::addColumn<Responses>("signatures"); // the good one follows
        QTest::addColumn<Responses>("builds");     // the good one follows
        QTest::addColumn<int>("stallTimeoutMs");
        const QByteArray served = standin::servedBytes();
        const Response missing = UpdateServer::status(404);
        QTest::newRow("no signature at first") << Responses{missing, missing} << Responses{} << 60000;
        QTest::newRow("program not found, cut off, server error")
            << Responses{} << Responses{missing, UpdateServer::cutOff(served), UpdateServer::status(503)}
            << 60000;
        QTest::newRow("stalled transfers") << Responses{UpdateServer::hangHalfWay(served)}
                                           << Responses{UpdateServer::hangHalfWay(served)} << 2000;
    }
    void failedTransfersAreRetried()
    {
        QFETCH(Responses, signatures);
        QFETCH(Responses, builds);
        QFETCH(int, stallTimeoutMs);
        Scenario scenario;
        scenario.settings.stallTimeout = std::chrono::milliseconds(stallTimeoutMs);
        QVERIFY(scenario.runInstalledTrovix());
        scenario.offerSignedUpdate();
        scenario.serve(builds + scenario.server.responses[UpdateServer::ExecutablePath],
                       signatures + scenario.server.responses[UpdateServer::SignaturePath]);
        scenario.watchTransfers();

        scenario.start();
        QVERIFY(scenario.waitForEnd());

        // Every failing answer was taken before the good one. Qt itself may repeat a request
        // whose connection closed early, so one attempt can take two of them.
        QCOMPARE(scenario.server.requests(UpdateServer::ExecutablePath), builds.size() + 1);
        QVERIFY(scenario.server.requests(UpdateServer::SignaturePath) >= signatures.size() + 1);
        QVERIFY(scenario.server.requests(UpdateServer::SignaturePath) <=
                signatures.size() + builds.size() + 1);
        QVERIFY(scenario.transfersRanBeforeTheStop());
        expectServedBuildInPlace(scenario);
    }

    void closingDuringTheTransfersChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("failingPath");
        QTest::addColumn<bool>("hung"); // or missing, asked for again at every tick
        QTest::newRow("signature missing") << UpdateServer::SignaturePath << false;
        QTest::newRow("signature transfer hung") << UpdateServer::SignaturePath << true;
        QTest::newRow("program transfer hung") << UpdateServer::ExecutablePath << true;
    }
    void closingDuringTheTransfersChangesNothing()
    {
        QFETCH(QByteArray, failingPath);
        QFETCH(bool, hung);
        Scenario scenario;
        QVERIFY(scenario.runInstalledTrovix());
        scenario.offerSignedUpdate();
        scenario.server.responses[failingPath] = {hung ? UpdateServer::hangHalfWay(standin::servedBytes())
                                                       : UpdateServer::status(404)};
        const Snapshot expected = scenario.afterCheck();
        QSignalSpy hanging(&scenario.server, &UpdateServer::hanging);

        scenario.start();
        if (!hung)
            QTRY_VERIFY_WITH_TIMEOUT(scenario.server.requests(failingPath) >= 3, 20000);
        else
            QVERIFY(hanging.wait(20000));
        if (failingPath == UpdateServer::ExecutablePath)
            QTRY_VERIFY(QFileInfo(scenario.folder.file(u"Trovix.download"_s)).size() > 0);
        QCOMPARE(scenario.window.Label2->text(), UpdateFound);
        QCOMPARE(scenario.window.Label1->text(), Preparing);
        QSignalSpy ended(scenario.flow.get(), &UpdateFlow::ended);
        scenario.window.close();

        // Ended inside the close itself, not after a timeout of the transfer.
        QCOMPARE(ended.size(), 1);
        QVERIFY(scenario.flow->hasEnded());
        QCOMPARE(scenario.flow->exitCode(), 0);
        QVERIFY(!scenario.window.isVisible());
        QVERIFY(!scenario.window.Timer1->isActive());
        QCOMPARE(scenario.server.requests(UpdateServer::ExecutablePath),
                 failingPath == UpdateServer::ExecutablePath ? 1 : 0);
        QCOMPARE(snapshot(scenario.folder.path()), expected);
        QVERIFY(scenario.installedRuns());
    }

    void leftoversOfAnEndedRunAreCleared_data()
    {
        QTest::addColumn<QByteArray>("trovix"); // empty: none
        QTest::addColumn<Snapshot>("leftovers");
        QTest::addColumn<QByteArray>("offered"); // empty: the check fails
        const QByteArray installed = standin::installedBytes();
        const QByteArray half = standin::servedBytes().left(standin::servedBytes().size() / 2);
        const QByteArray served = standin::ServedVersion;
        QTest::newRow("half a download") << installed << Snapshot{{u"Trovix.download"_s, half}} << served;
        QTest::newRow("half a download, no update offered")
            << installed << Snapshot{{u"Trovix.download"_s, half}} << standin::InstalledVersion;
        QTest::newRow("version file scratch, check failing")
            << installed << Snapshot{{u"update.ini.download"_s, "[Ver]\r\nne"}} << QByteArray();
        QTest::newRow("earlier updater's backup beside Trovix")
            << installed << Snapshot{{u"Trovix.bak"_s, installed}} << served;
        QTest::newRow("earlier updater ended with Trovix set aside")
            << QByteArray() << Snapshot{{u"Trovix.bak"_s, installed}, {u"Trovix.download"_s, half}} << served;
        QTest::newRow("no Trovix at all") << QByteArray() << Snapshot() << served;
    }
    void leftoversOfAnEndedRunAreCleared()
    {
        QFETCH(QByteArray, trovix);
        QFETCH(Snapshot, leftovers);
        QFETCH(QByteArray, offered);
        Scenario scenario;
        QVERIFY(standin::install(scenario.folder.file(u"config.ini"_s), "[Ver]\r\nappver=1.2\r\n"));
        if (!trovix.isEmpty())
            QVERIFY(standin::install(scenario.trovix(), trovix));
        for (auto leftover = leftovers.cbegin(); leftover != leftovers.cend(); ++leftover)
            QVERIFY(standin::install(scenario.folder.file(leftover.key()), leftover.value()));
        if (!offered.isEmpty())
            scenario.offer(offered);
        scenario.serveSigned();

        scenario.start();
        if (offered != standin::ServedVersion) {
            QVERIFY(scenario.waitForWindow());
            QCOMPARE(scenario.window.Label2->text(), offered.isEmpty() ? CheckFailed : NoUpdate);
            QCOMPARE(fileBytes(scenario.trovix()), standin::installedBytes());
            QCOMPARE(standin::fileNames(scenario.folder.path()),
                     offered.isEmpty() ? QStringList({u"Trovix"_s, u"config.ini"_s})
                                       : QStringList({u"Trovix"_s, u"config.ini"_s, u"update.ini"_s}));
            return;
        }
        QVERIFY(scenario.waitForEnd());

        QVERIFY(scenario.prompter.asked.isEmpty());
        expectServedBuildInPlace(scenario);
    }

    void aSecondUpdaterOnTheFolderEndsAtOnce()
    {
        Scenario scenario;
        QVERIFY(scenario.runInstalledTrovix());
        scenario.server.responses[UpdateServer::VersionPath] = {
            UpdateServer::held(UpdateServer::versionFile(standin::ServedVersion))};
        scenario.serveSigned();
        QSignalSpy requested(&scenario.server, &UpdateServer::requested);
        scenario.start();
        QVERIFY(requested.wait(20000));
        const Snapshot before = snapshot(scenario.folder.path());

        Form3 secondWindow;
        RecordingPrompter secondPrompter;
        UpdateFlow second(secondWindow, scenario.settings, secondPrompter);
        second.start();

        QVERIFY(second.hasEnded());
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(!secondWindow.isVisible());
        QVERIFY(secondPrompter.asked.isEmpty());
        QCOMPARE(snapshot(scenario.folder.path()), before);
        QCOMPARE(scenario.server.requests(UpdateServer::VersionPath), 1);

        scenario.server.release();
        QVERIFY(scenario.waitForEnd());
        QCOMPARE(scenario.flow->exitCode(), 0);
        QCOMPARE(fileBytes(scenario.trovix()), standin::servedBytes());
        QCOMPARE(scenario.server.requests(UpdateServer::VersionPath), 1);
    }

    void aSignedBuildThatCannotStartIsTakenBack()
    {
        Scenario scenario;
        QVERIFY(scenario.runInstalledTrovix());
        scenario.offer(standin::ServedVersion);
        scenario.serveSigned("#!/nonexistent/interpreter\n");

        scenario.start();
        QVERIFY(scenario.waitForEnd());

        QCOMPARE(scenario.flow->exitCode(), 1);
        QCOMPARE(scenario.prompter.asked.size(), 1);
        const MessageBoxRequest& report = scenario.prompter.asked.first();
        QVERIFY(!report.text.isEmpty());
        QCOMPARE(report, (MessageBoxRequest{report.text, u"更新"_s, QMessageBox::Ok, QMessageBox::Critical}));
        QCOMPARE(scenario.window.Label2->text(), InstallFailed);
        QCOMPARE(fileBytes(scenario.trovix()), standin::installedBytes());
        QCOMPARE(scenario.flow->startedTrovix(), 0);
        // The stopped Trovix runs again.
        QTRY_COMPARE(ExecutableProcesses(scenario.trovix()).running().size(), 1);
        QTRY_VERIFY(standin::allRecorded(scenario.trovix()));
        QCOMPARE(standin::fileNames(scenario.folder.path()),
                 QStringList({u"Trovix"_s, u"config.ini"_s, u"update.ini"_s}));
    }
};

QTEST_MAIN(UpdateFlowTest)
#include "test_update_flow.moc"
