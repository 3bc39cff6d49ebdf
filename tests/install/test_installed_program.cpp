#include "FileBytes.h"
#include "FreePort.h"
#include "SampleAggregator.h"
#include "VersionMarkers.h"
#include "WaybillFiles.h"
#include "WriteFile.h"
#include "common/Configuration.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int InstallTimeoutMs = 300000;
constexpr int LauncherTimeoutMs = 300000;
const QString SampleNumber = u"EA123456785CN"_s;

bool listening(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(5000);
}

struct Run {
    int exitCode = -1;
    QString output;
};

// Runs a program to its end with the event loop turning, so an aggregator of this
// process keeps answering meanwhile.
Run runToEnd(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
             int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(program, arguments);
    if (!process.waitForStarted() || !finished.wait(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {-1, QString::fromUtf8(process.readAll())};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

} // namespace

class TestInstalledProgram : public QObject {
    Q_OBJECT

private:
    QTemporaryDir root_;
    QString prefix_;
    QString home_;
    QString installed_;

    QString launcher() const { return prefix_ + u"/bin/trovix"_s; }
    QString ownFolder() const { return home_ + u"/.local/share/trovix/program"_s; }
    QString ownDatabase() const { return ownFolder() + u"/yundan.mdb"_s; }

    bool install()
    {
        const Run run = runToEnd(QStringLiteral(TROVIX_CMAKE_COMMAND),
                                 {u"--install"_s, QStringLiteral(TROVIX_BUILD_DIR), u"--prefix"_s, prefix_},
                                 QProcessEnvironment::systemEnvironment(), InstallTimeoutMs);
        if (run.exitCode != 0)
            qWarning().noquote() << run.output;
        return run.exitCode == 0;
    }

    // The driver goes where the installed Trovix was; the launcher copies it from there.
    bool putDriverInPlace() const
    {
        const QString trovix = installed_ + u"/Trovix"_s;
        return QFile::remove(trovix) && QFile::copy(QStringLiteral(TROVIX_DRIVER), trovix);
    }

    QProcessEnvironment environment(quint16 port) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, home_);
        environment.remove(u"XDG_DATA_HOME"_s);
        environment.remove(u"XDG_CONFIG_HOME"_s);
        const QString host = u"127.0.0.1:%1"_s.arg(port);
        environment.insert(u"TROVIX_AGGREGATOR_HOST_A"_s, host);
        environment.insert(u"TROVIX_AGGREGATOR_HOST_B"_s, u"localhost:%1"_s.arg(port));
        environment.insert(u"TROVIX_HOME_PAGE"_s, u"http://%1/home/"_s.arg(host));
        environment.insert(u"TROVIX_UPDATE_VERSION_URL"_s, u"http://%1/update.ini"_s.arg(host));
        environment.insert(u"TROVIX_UPDATE_EXECUTABLE_URL"_s, u"http://%1/update/Trovix"_s.arg(host));
        return environment;
    }

    Run launch(const QStringList& arguments, quint16 port) const
    {
        return runToEnd(launcher(), arguments, environment(port), LauncherTimeoutMs);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        prefix_ = root_.filePath(u"prefix"_s);
        home_ = root_.filePath(u"home"_s);
        QVERIFY(QDir().mkpath(home_));
        QVERIFY(install());
        QDirIterator found(prefix_, {u"Trovix"_s}, QDir::Files | QDir::CaseSensitive,
                           QDirIterator::Subdirectories);
        QVERIFY(found.hasNext());
        installed_ = QFileInfo(found.next()).absolutePath();
        QVERIFY(installed_.endsWith(u"/trovix"_s));
        QVERIFY(QFileInfo(launcher()).isExecutable());
    }

    void installedFolderHoldsNoLiveDatabase()
    {
        QVERIFY(QFile::exists(installed_ + u"/yundan.mdb.template"_s));
        QVERIFY(!QFile::exists(installed_ + u"/yundan.mdb"_s));
        QVERIFY(QFileInfo(installed_ + u"/sample-aggregator"_s).isExecutable());
        QVERIFY(QFileInfo(installed_ + u"/update"_s).isExecutable());
    }

    void launcherTracksWithTheSampleItStartsAndStops()
    {
        QVERIFY(putDriverInPlace());
        const quint16 port = freeLoopbackPort();
        QVERIFY(port != 0);

        const Run run = launch({u"--query"_s, SampleNumber, u"--add"_s}, port);

        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY2(run.output.contains(SampleAggregator::historyLines(SampleNumber).first()),
                 qPrintable(run.output));
        QCOMPARE(rowsInFile(ownDatabase()), QList<WaybillRow>({{u"EMS快递"_s, SampleNumber}}));
        QVERIFY(!listening(port));
    }

    void installingAgainKeepsTheSavedRows()
    {
        QVERIFY(QFile::exists(ownDatabase()));
        QVERIFY(appendRows(ownDatabase(), {{u"顺丰速递"_s, u"SF-KEPT"_s}}));
        const QList<WaybillRow> saved = rowsInFile(ownDatabase());
        QCOMPARE(saved.size(), 2);

        QVERIFY(install());

        // The install did write: the driver gave way to the built Trovix again.
        QVERIFY(QFileInfo(installed_ + u"/Trovix"_s).size() !=
                QFileInfo(QStringLiteral(TROVIX_DRIVER)).size());
        QCOMPARE(rowsInFile(ownDatabase()), saved);
        QVERIFY(!QFile::exists(installed_ + u"/yundan.mdb"_s));
        // The next start runs the user's copy, which is of the same version, and keeps
        // the user's database.
        QVERIFY(putDriverInPlace());
        const Run run = launch({u"--expect-row"_s, u"SF-KEPT"_s}, freeLoopbackPort());
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(rowsInFile(ownDatabase()), saved);
    }

    // Earlier installs ran whoever could write the installed folder straight from it.
    void waybillsSavedInTheInstalledFolderAreTakenOver()
    {
        const QString earlier = installed_ + u"/yundan.mdb"_s;
        QVERIFY(QFile::copy(installed_ + u"/yundan.mdb.template"_s, earlier));
        QVERIFY(QFile::setPermissions(earlier, QFile::ReadOwner | QFile::WriteOwner));
        const QList<WaybillRow> saved{{u"EMS快递"_s, u"EARLIER-1"_s}};
        QVERIFY(appendRows(earlier, saved));
        home_ = root_.filePath(u"earlier-user"_s);
        QVERIFY(QDir().mkpath(home_));
        QVERIFY(putDriverInPlace());

        Run run = launch({u"--expect-row"_s, u"EARLIER-1"_s}, freeLoopbackPort());

        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(rowsInFile(ownDatabase()), saved);
        QVERIFY(!QFile::exists(earlier));
        QCOMPARE(rowsInFile(earlier + u".taken"_s), saved);
        // Starting afresh gives an empty list, not the earlier rows again.
        QVERIFY(QFile::remove(ownDatabase()));
        run = launch({}, freeLoopbackPort());
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY(QFile::exists(ownDatabase()));
        QVERIFY(rowsInFile(ownDatabase()).isEmpty());
    }

    // The user's copy is refreshed only from a higher version: a package older than the
    // build the updater installed never replaces it.
    void launcherRefreshesOnlyFromAHigherVersion_data()
    {
        QTest::addColumn<QByteArray>("shipped"); // the installed Trovix's marker
        QTest::addColumn<QByteArray>("copy");    // the copy's marker; empty: none
        QTest::addColumn<QByteArray>("record");  // the copy's config.ini; empty: none
        QTest::addColumn<bool>("refreshed");
        const QByteArray none, v11 = "1.1", v12 = "1.2", v13 = "1.3";
        QTest::newRow("installed build higher") << v13 << v12 << none << true;
        QTest::newRow("same version") << v12 << v12 << none << false;
        QTest::newRow("copy updated past the package") << v12 << v13 << v13 << false;
        QTest::newRow("copy's record higher than its marker") << v12 << v11 << v13 << false;
        QTest::newRow("copy from before markers") << v12 << none << none << true;
    }
    void launcherRefreshesOnlyFromAHigherVersion()
    {
        QFETCH(QByteArray, shipped);
        QFETCH(QByteArray, copy);
        QFETCH(QByteArray, record);
        QFETCH(bool, refreshed);
        const QByteArray driver = fileBytes(QStringLiteral(TROVIX_DRIVER));
        const QByteArray built = trovix::config::versionText().toLatin1();
        home_ = root_.filePath(u"refresh-"_s + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(ownFolder()));
        const QString shippedTrovix = installed_ + u"/Trovix"_s, ownTrovix = ownFolder() + u"/Trovix"_s;
        QVERIFY(writeFile(shippedTrovix, remarked(driver, built, shipped)));
        QVERIFY(writeFile(ownTrovix, remarked(driver, built, copy)));
        QVERIFY(QFile::setPermissions(ownTrovix, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeFile(ownFolder() + u"/update"_s, "the copy's own"));
        QVERIFY(record.isEmpty() || writeFile(ownFolder() + u"/config.ini"_s, "[Ver]\nappver=" + record));

        const Run run = launch({u"--exit"_s}, freeLoopbackPort());

        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(fileBytes(ownFolder() + u"/update"_s) == fileBytes(installed_ + u"/update"_s), refreshed);
        QCOMPARE(fileBytes(ownTrovix), remarked(driver, built, refreshed ? shipped : copy));
    }

    // Configured only: the install rules say whether the sample goes into the package.
    void sampleShipsOnlyWithALoopbackAggregator_data()
    {
        QTest::addColumn<QString>("hostA");
        QTest::addColumn<QString>("hostB");
        QTest::addColumn<bool>("shipped");
        QTest::newRow("embedded defaults") << QString() << QString() << true;
        QTest::newRow("real aggregator") << u"track.example.com"_s << u"www.track.example.com"_s << false;
        QTest::newRow("form B on loopback") << u"track.example.com"_s << u"localhost:8080"_s << true;
    }
    void sampleShipsOnlyWithALoopbackAggregator()
    {
        QFETCH(QString, hostA);
        QFETCH(QString, hostB);
        QFETCH(bool, shipped);
        QTemporaryDir tree;
        QStringList arguments{
            u"-S"_s,     QStringLiteral(TROVIX_SOURCE_DIR), u"-B"_s,
            tree.path(), u"-DTROVIX_BUILD_TESTS=OFF"_s,     u"-DTROVIX_BUILD_BENCHMARKS=OFF"_s};
        if (!hostA.isEmpty())
            arguments << u"-DTROVIX_AGGREGATOR_HOST_A="_s + hostA << u"-DTROVIX_AGGREGATOR_HOST_B="_s + hostB;
        const Run run = runToEnd(QStringLiteral(TROVIX_CMAKE_COMMAND), arguments,
                                 QProcessEnvironment::systemEnvironment(), InstallTimeoutMs);
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));

        QFile rules(tree.filePath(u"cmake_install.cmake"_s));
        QVERIFY(rules.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(rules.readAll());
        QCOMPARE(text.contains(u"/trovix/sample-aggregator\""_s), shipped);
        QVERIFY(text.contains(u"/trovix/Trovix\""_s));
    }

    void launcherLeavesAnAggregatorThatIsThereAlone()
    {
        SampleAggregator running;
        QVERIFY(running.listen());
        QVERIFY(putDriverInPlace());

        const Run run = launch({u"--query"_s, SampleNumber}, running.port());

        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY(!running.submissions().isEmpty());
        QCOMPARE(running.submissions().first().fields.value(u"postid"_s), SampleNumber);
    }
};

QTEST_GUILESS_MAIN(TestInstalledProgram)
#include "test_installed_program.moc"
