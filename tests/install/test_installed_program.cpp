#include "SampleAggregator.h"
#include "WaybillFiles.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int InstallTimeoutMs = 300000;
constexpr int LauncherTimeoutMs = 300000;
const QString SampleNumber = QStringLiteral("EA123456785CN");

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

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

    QString launcher() const { return prefix_ + QStringLiteral("/bin/trovix"); }
    QString ownFolder() const { return home_ + QStringLiteral("/.local/share/trovix/program"); }
    QString ownDatabase() const { return ownFolder() + QStringLiteral("/yundan.mdb"); }

    bool install()
    {
        const Run run = runToEnd(QStringLiteral(TROVIX_CMAKE_COMMAND),
                                 {QStringLiteral("--install"), QStringLiteral(TROVIX_BUILD_DIR),
                                  QStringLiteral("--prefix"), prefix_},
                                 QProcessEnvironment::systemEnvironment(), InstallTimeoutMs);
        if (run.exitCode != 0)
            qWarning().noquote() << run.output;
        return run.exitCode == 0;
    }

    // The driver goes where the installed Trovix was; the launcher copies it from there.
    bool putDriverInPlace() const
    {
        const QString trovix = installed_ + QStringLiteral("/Trovix");
        return QFile::remove(trovix) && QFile::copy(QStringLiteral(TROVIX_DRIVER), trovix);
    }

    QProcessEnvironment environment(quint16 port) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home_);
        environment.remove(QStringLiteral("XDG_DATA_HOME"));
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        const QString host = QStringLiteral("127.0.0.1:%1").arg(port);
        environment.insert(QStringLiteral("TROVIX_AGGREGATOR_HOST_A"), host);
        environment.insert(QStringLiteral("TROVIX_AGGREGATOR_HOST_B"),
                           QStringLiteral("localhost:%1").arg(port));
        environment.insert(QStringLiteral("TROVIX_HOME_PAGE"), QStringLiteral("http://%1/home/").arg(host));
        environment.insert(QStringLiteral("TROVIX_UPDATE_VERSION_URL"),
                           QStringLiteral("http://%1/update.ini").arg(host));
        environment.insert(QStringLiteral("TROVIX_UPDATE_EXECUTABLE_URL"),
                           QStringLiteral("http://%1/update/Trovix").arg(host));
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
        prefix_ = root_.filePath(QStringLiteral("prefix"));
        home_ = root_.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home_));
        QVERIFY(install());
        QDirIterator found(prefix_, {QStringLiteral("Trovix")}, QDir::Files | QDir::CaseSensitive,
                           QDirIterator::Subdirectories);
        QVERIFY(found.hasNext());
        installed_ = QFileInfo(found.next()).absolutePath();
        QVERIFY(installed_.endsWith(QStringLiteral("/trovix")));
        QVERIFY(QFileInfo(launcher()).isExecutable());
    }

    void installedFolderHoldsNoLiveDatabase()
    {
        QVERIFY(QFile::exists(installed_ + QStringLiteral("/yundan.mdb.template")));
        QVERIFY(!QFile::exists(installed_ + QStringLiteral("/yundan.mdb")));
        QVERIFY(QFileInfo(installed_ + QStringLiteral("/sample-aggregator")).isExecutable());
        QVERIFY(QFileInfo(installed_ + QStringLiteral("/update")).isExecutable());
    }

    void launcherTracksWithTheSampleItStartsAndStops()
    {
        QVERIFY(putDriverInPlace());
        const quint16 port = freePort();
        QVERIFY(port != 0);

        const Run run = launch({QStringLiteral("--query"), SampleNumber, QStringLiteral("--add")}, port);

        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY2(run.output.contains(SampleAggregator::historyLines(SampleNumber).first()),
                 qPrintable(run.output));
        QCOMPARE(rowsInFile(ownDatabase()), QList<WaybillRow>({{QStringLiteral("EMS快递"), SampleNumber}}));
        QVERIFY(!listening(port));
    }

    void installingAgainKeepsTheSavedRows()
    {
        QVERIFY(QFile::exists(ownDatabase()));
        QVERIFY(appendRows(ownDatabase(), {{QStringLiteral("顺丰速递"), QStringLiteral("SF-KEPT")}}));
        const QList<WaybillRow> saved = rowsInFile(ownDatabase());
        QCOMPARE(saved.size(), 2);

        QVERIFY(install());

        // The install did write: the driver gave way to the built Trovix again.
        QVERIFY(QFileInfo(installed_ + QStringLiteral("/Trovix")).size() !=
                QFileInfo(QStringLiteral(TROVIX_DRIVER)).size());
        QCOMPARE(rowsInFile(ownDatabase()), saved);
        QVERIFY(!QFile::exists(installed_ + QStringLiteral("/yundan.mdb")));
        // The next start takes the reinstalled build into the user's folder and keeps
        // the user's database.
        QVERIFY(putDriverInPlace());
        const Run run = launch({QStringLiteral("--expect-row"), QStringLiteral("SF-KEPT")}, freePort());
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(rowsInFile(ownDatabase()), saved);
    }

    // Earlier installs ran whoever could write the installed folder straight from it.
    void waybillsSavedInTheInstalledFolderAreTakenOver()
    {
        const QString earlier = installed_ + QStringLiteral("/yundan.mdb");
        QVERIFY(QFile::copy(installed_ + QStringLiteral("/yundan.mdb.template"), earlier));
        QVERIFY(QFile::setPermissions(earlier, QFile::ReadOwner | QFile::WriteOwner));
        const QList<WaybillRow> saved{{QStringLiteral("EMS快递"), QStringLiteral("EARLIER-1")}};
        QVERIFY(appendRows(earlier, saved));
        home_ = root_.filePath(QStringLiteral("earlier-user"));
        QVERIFY(QDir().mkpath(home_));
        QVERIFY(putDriverInPlace());

        Run run = launch({QStringLiteral("--expect-row"), QStringLiteral("EARLIER-1")}, freePort());

        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(rowsInFile(ownDatabase()), saved);
        QVERIFY(!QFile::exists(earlier));
        QCOMPARE(rowsInFile(earlier + QStringLiteral(".taken")), saved);
        // Starting afresh gives an empty list, not the earlier rows again.
        QVERIFY(QFile::remove(ownDatabase()));
        run = launch({}, freePort());
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY(QFile::exists(ownDatabase()));
        QVERIFY(rowsInFile(ownDatabase()).isEmpty());
    }

    // Configured only: the install rules say whether the sample goes into the package.
    void sampleShipsOnlyWithALoopbackAggregator_data()
    {
        QTest::addColumn<QString>("hostA");
        QTest::addColumn<QString>("hostB");
        QTest::addColumn<bool>("shipped");
        QTest::newRow("embedded defaults") << QString() << QString() << true;
        QTest::newRow("real aggregator") << "track.example.com"
                                         << "www.track.example.com" << false;
        QTest::newRow("form B on loopback") << "track.example.com"
                                            << "localhost:8080" << true;
    }
    void sampleShipsOnlyWithALoopbackAggregator()
    {
        QFETCH(QString, hostA);
        QFETCH(QString, hostB);
        QFETCH(bool, shipped);
        QTemporaryDir tree;
        QStringList arguments{QStringLiteral("-S"),
                              QStringLiteral(TROVIX_SOURCE_DIR),
                              QStringLiteral("-B"),
                              tree.path(),
                              QStringLiteral("-DTROVIX_BUILD_TESTS=OFF"),
                              QStringLiteral("-DTROVIX_BUILD_BENCHMARKS=OFF")};
        if (!hostA.isEmpty())
            arguments << QStringLiteral("-DTROVIX_AGGREGATOR_HOST_A=") + hostA
                      << QStringLiteral("-DTROVIX_AGGREGATOR_HOST_B=") + hostB;
        const Run run = runToEnd(QStringLiteral(TROVIX_CMAKE_COMMAND), arguments,
                                 QProcessEnvironment::systemEnvironment(), InstallTimeoutMs);
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));

        QFile rules(tree.filePath(QStringLiteral("cmake_install.cmake")));
        QVERIFY(rules.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(rules.readAll());
        QCOMPARE(text.contains(QStringLiteral("/trovix/sample-aggregator\"")), shipped);
        QVERIFY(text.contains(QStringLiteral("/trovix/Trovix\"")));
    }

    void launcherLeavesAnAggregatorThatIsThereAlone()
    {
        SampleAggregator running;
        QVERIFY(running.listen());
        QVERIFY(putDriverInPlace());

        const Run run = launch({QStringLiteral("--query"), SampleNumber}, running.port());

        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY(!running.submissions().isEmpty());
        QCOMPARE(running.submissions().first().fields.value(QStringLiteral("postid")), SampleNumber);
    }
};

QTEST_GUILESS_MAIN(TestInstalledProgram)
#include "test_installed_program.moc"
