#include "AggregatorHosts.h"
#include "FakeBrowser.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"

#include "common/Configuration.h"
#include "engine/BrowserProcess.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/ResultBox.h"
#include "window/DesktopProgram.h"
#include "window/Form1.h"
#include "window/Module1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace trovix;

namespace {

// Every process whose command line holds `part`.
QList<qint64> processesWith(const QByteArray& part)
{
    QList<qint64> found;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(name));
        if (name.toLongLong() > 0 && commandLine.open(QIODevice::ReadOnly) &&
            commandLine.readAll().contains(part))
            found.append(name.toLongLong());
    }
    return found;
}

QString profileOf(qint64 pid)
{
    QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (commandLine.open(QIODevice::ReadOnly)) {
        for (const QByteArray& argument : commandLine.readAll().split('\0')) {
            if (argument.startsWith("--user-data-dir="))
                return QFile::decodeName(argument.mid(16));
        }
    }
    return {};
}

// The socket inodes that listen, of every kind a process could be reached through.
QSet<QByteArray> listeningSockets()
{
    QSet<QByteArray> inodes;
    for (const char* table : {"tcp", "tcp6", "udp", "udp6"}) {
        QFile file(QStringLiteral("/proc/net/") + QLatin1String(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : file.readAll().split('\n').mid(1)) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            // TCP's LISTEN; any bound UDP socket takes datagrams.
            if (fields.size() > 9 && (fields.at(3) == "0A" || QByteArray(table).startsWith("udp")))
                inodes.insert(fields.at(9));
        }
    }
    QFile unixSockets(QStringLiteral("/proc/net/unix"));
    if (unixSockets.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : unixSockets.readAll().split('\n').mid(1)) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            // __SO_ACCEPTCON: a listening socket.
            if (fields.size() > 6 && (fields.at(3).toUInt(nullptr, 16) & 0x10000))
                inodes.insert(fields.at(6));
        }
    }
    return inodes;
}

QSet<QByteArray> socketsOf(qint64 pid)
{
    QSet<QByteArray> inodes;
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : descriptors.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(descriptors.filePath(fd));
        if (target.contains(QLatin1String("socket:[")))
            inodes.insert(target.section(QLatin1Char('['), 1).chopped(1).toLatin1());
    }
    return inodes;
}

} // namespace

// Trovix as the desktop runs it: the window first, then its browser engine as a child
// process, against the sample aggregator.
class EngineAfterWindowTest : public QObject {
    Q_OBJECT

public:
    // As Trovix's main() does before its application exists.
    static void initMain() { prepareDesktopApplication(); }

private Q_SLOTS:
    void initTestCase()
    {
        // The program's folder is this executable's: it needs the build's database there.
        const QString database = QCoreApplication::applicationDirPath() + QStringLiteral("/yundan.mdb");
        QFile::remove(database);
        QVERIFY(QFile::copy(qEnvironmentVariable("TROVIX_PROGRAM_DIR") + QStringLiteral("/yundan.mdb"),
                            database));
        QVERIFY(serveCourierPages(aggregator_));
        qputenv("TROVIX_HOME_PAGE", aggregator_.homePage().toUtf8());
        connect(&aggregator_, &SampleAggregator::requestServed, this,
                [this](const QString&, const QString& path) { served_.append(path); });
    }

    void cleanup()
    {
        program_.reset();
        Module1::remove();
    }

    // The engine is a child process of its own: no browser code in ours, no socket anyone
    // could reach it by, and a profile folder nobody else may read.
    void homePageLoadsOnceTheWindowIsShown()
    {
        served_.clear();
        QVERIFY(startProgram());
        QVERIFY(waitForPage(config::homePage()));
        QVERIFY(served_.contains(QStringLiteral("/home/")));
        // The page-loaded handling of the home page: Query enabled, the capture started.
        QVERIFY(form().Command5->isEnabled());
        QVERIFY(form().Timer1->isActive());

        QWidget* client = form().WebBrowser1->parentWidget();
        QVERIFY(!client->rect().intersects(form().WebBrowser1->geometry()));

        const QList<qint64> engine = processesWith("trovix-engine-" + QByteArray::number(getpid()) + '-');
        QVERIFY(!engine.isEmpty());
        // This process serves the sample pages itself: only the engine's are Trovix's alone.
        QSet<QByteArray> ours;
        for (const qint64 pid : engine)
            ours += socketsOf(pid);
        QVERIFY(!ours.intersects(listeningSockets()));

        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(!mapped.contains("chromium") && !mapped.contains("WebEngine"));

        struct stat folder {};
        QVERIFY(::stat(QFile::encodeName(profileOf(engine.first())).constData(), &folder) == 0);
        QCOMPARE(folder.st_mode & 0777, 0700u);
    }

    void courierChosenInTheFirstInstantLoadsItsPage()
    {
        QVERIFY(startProgram());
        form().Text3->setText(QStringLiteral("0"));
        // Before the engine is up: the choice is made at once, its page waits for the engine.
        form().Option1->setChecked(true);
        const Courier& courier = *courierByRow(1);
        QCOMPARE(form().Label6->text(), courier.displayName);
        QVERIFY(!form().Command5->isEnabled());
        QVERIFY(waitForPage(trackingAddress(courier)));
        QVERIFY(form().Command5->isEnabled());

        // And its form takes a query.
        const QString number = SampleAggregator::knownNumbers().first();
        form().Text1->setText(number);
        QVERIFY(spinUntil([&] { return !form().Timer1->isActive(); }));
        form().Command5->click();
        const QString lastLine = SampleAggregator::historyLines(number).last();
        QVERIFY(spinUntil([&] { return boxText(form().RichTextBox3).contains(lastLine); }, 60000));
    }

    // Until the engine is there, navigations wait in order and calls answer as on an empty
    // page; then everything goes to the engine.
    void callsBeforeTheEngineAnswerAsWithoutADocument()
    {
        DeferredBrowser browser;
        browser.navigate(QStringLiteral("http://a/"));
        browser.setValue(QStringLiteral("objUserName"), QStringLiteral("EA1"));
        browser.click(QStringLiteral("objloginbutton"));
        QList<bool> found{true};
        QString text = QStringLiteral("unread");
        browser.bindElements(1, {{QStringLiteral("objUserName"), QStringLiteral("postid")}},
                             [&](const QList<bool>& answer) { found = answer; });
        browser.readBodyText([&](const QString& answer) { text = answer; });
        browser.navigate(QStringLiteral("http://b/"));
        QVERIFY(spinUntil([&] { return text.isEmpty(); }));
        QCOMPARE(found, QList<bool>{false});

        auto* engine = new FakeBrowser;
        browser.attach(std::unique_ptr<Browser>(engine));
        QCOMPARE(engine->navigations,
                 (QStringList{QStringLiteral("http://a/"), QStringLiteral("http://b/")}));
        QVERIFY(engine->valueCalls.isEmpty() && engine->clickCalls.isEmpty());
        QList<QString> completed;
        connect(&browser, &Browser::documentCompleted, this,
                [&](Browser::DocumentId, const QString& address) { completed.append(address); });
        const Browser::DocumentId page =
            engine->load(QStringLiteral("http://b/"), {QStringLiteral("postid")});
        QCOMPARE(completed, QList<QString>{QStringLiteral("http://b/")});
        browser.bindElements(page, {{QStringLiteral("objUserName"), QStringLiteral("postid")}},
                             [&](const QList<bool>& answer) { found = answer; });
        QCOMPARE(found, QList<bool>{true});
    }

    // A browser that cannot run is said, naming the package to install; the window and the
    // saved waybills stay usable, and the next courier choice tries again.
    void missingBrowserIsReportedAndTheWindowStaysUsable_data()
    {
        QTest::addColumn<QString>("browser");
        QTest::newRow("missing") << QStringLiteral("/nonexistent");
        QTest::newRow("a web page where a program is expected")
            << QFINDTESTDATA("test_engine_after_window.cpp");
        QTest::newRow("ends at once") << QStringLiteral("/bin/true");
    }

    void missingBrowserIsReportedAndTheWindowStaysUsable()
    {
        QFETCH(QString, browser);
        qputenv("TROVIX_BROWSER", browser.toLocal8Bit());
        QStringList shown;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown.append(box->windowTitle() + QLatin1Char('|') + box->text());
                box->accept();
            }
        });
        answerer.start(10);
        QVERIFY(startProgram());
        QVERIFY(spinUntil([&] { return !shown.isEmpty(); }));
        qunsetenv("TROVIX_BROWSER");
        QVERIFY2(shown.first().startsWith(QStringLiteral("Trovix|无法启动浏览器引擎")),
                 qPrintable(shown.first()));
        QVERIFY(shown.first().contains(QStringLiteral("chromium-headless-shell")));
        QVERIFY(form().isVisible());
        QVERIFY(form().DataGrid1->model());
        qputenv("TROVIX_BROWSER", browser.toLocal8Bit());
        form().Option2->setChecked(true);
        QCOMPARE(form().Label6->text(), courierByRow(2)->displayName);
        QVERIFY(spinUntil([&] { return shown.size() == 2; }));
        qunsetenv("TROVIX_BROWSER");
    }

    // However Trovix ends, its engine follows within seconds, and the next start clears the
    // profile folder it left.
    void engineEndsWithAKilledTrovix()
    {
        QProcess trovix;
        trovix.setProgram(qEnvironmentVariable("TROVIX_PROGRAM_DIR") + QStringLiteral("/Trovix"));
        trovix.start();
        QVERIFY(trovix.waitForStarted());
        const QByteArray marker = "trovix-engine-" + QByteArray::number(trovix.processId()) + '-';
        QVERIFY(spinUntil([&] { return !processesWith(marker).isEmpty(); }, 40000));
        const QString profile = profileOf(processesWith(marker).first());
        QVERIFY(QFileInfo::exists(profile));
        ::kill(pid_t(trovix.processId()), SIGKILL);
        QVERIFY(trovix.waitForFinished());
        QVERIFY(spinUntil([&] { return processesWith(marker).isEmpty(); }, 5000));
        BrowserProcess::removeStaleProfiles();
        QVERIFY(!QFileInfo::exists(profile));
    }

    void graphicsSettingIsOnlyForTheStart()
    {
        {
            DesktopProgram program;
            // Only for the application's start: the programs Trovix starts must not inherit it.
            QVERIFY(!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"));
        }
        // A choice of the user's own is left alone.
        qputenv("QT_XCB_GL_INTEGRATION", "glx");
        prepareDesktopApplication();
        DesktopProgram program;
        QCOMPARE(qgetenv("QT_XCB_GL_INTEGRATION"), QByteArray("glx"));
        qunsetenv("QT_XCB_GL_INTEGRATION");
    }

private:
    Form1& form() { return *program_->controllers().form(); }

    bool startProgram()
    {
        loads_.clear();
        program_ = std::make_unique<DesktopProgram>();
        connect(&program_->browser(), &Browser::documentCompleted, this,
                [this](Browser::DocumentId, const QString& address) { loads_.append(address); });
        return program_->start();
    }

    bool waitForPage(const QString& address)
    {
        return spinUntil([&] { return !loads_.isEmpty() && loads_.last() == address; }, 60000);
    }

    SampleAggregator aggregator_;
    QStringList served_;
    std::unique_ptr<DesktopProgram> program_;
    QStringList loads_;
};

QTEST_MAIN(EngineAfterWindowTest)
#include "test_engine_after_window.moc"
