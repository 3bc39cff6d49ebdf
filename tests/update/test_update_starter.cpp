#include "RecordingPrompter.h"
#include "StandIns.h"
#include "TempProgramFolder.h"
#include "update/ExecutableProcesses.h"
#include "update/ProcessStopper.h"
#include "update/UpdateStarter.h"
#include "update/VersionComparison.h"

#include <QtTest>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

using namespace trovix;

class UpdateStarterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsTheUpdaterWithoutWaiting()
    {
        TempProgramFolder folder;
        // The stand-in never ends by itself, so start() returning proves it was not awaited.
        QVERIFY(standin::install(folder.file(u"update"_s), standin::installedBytes()));
        RecordingPrompter prompter;
        int ended = 0;
        UpdateStarter starter(folder.programFolder(), prompter, [&] { ++ended; });

        starter.start();

        QTRY_COMPARE(readRecordedVersion(folder.programFolder()), standin::InstalledVersion);
        const ExecutableProcesses updater(folder.file(u"update"_s));
        QCOMPARE(updater.running().size(), 1);
        QVERIFY(prompter.asked.isEmpty());
        QCOMPARE(ended, 0);
        ProcessStopper stopper(std::chrono::seconds(5), std::chrono::seconds(5));
        QSignalSpy stopped(&stopper, &ProcessStopper::finished);
        stopper.stop(updater);
        QVERIFY(stopped.wait(20000));
        QCOMPARE(stopped.first().first().toBool(), true);
    }

    void reportsAnUpdaterThatCannotStart_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<bool>("executable");
        QTest::addColumn<int>("error");
        QTest::newRow("missing") << QByteArray() << false << ENOENT;
        QTest::newRow("not executable") << standin::installedBytes() << false << EACCES;
        QTest::newRow("not a program") << QByteArray("\x7f" + QByteArray("ELF garbage")) << true << ENOEXEC;
    }
    void reportsAnUpdaterThatCannotStart()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, executable);
        QFETCH(int, error);
        TempProgramFolder folder;
        if (!content.isEmpty()) {
            QVERIFY(standin::install(folder.file(u"update"_s), content));
            if (!executable)
                QVERIFY(QFile::setPermissions(folder.file(u"update"_s),
                                              QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        }
        RecordingPrompter prompter;
        QStringList events;
        prompter.whileOpen = [&] { events << u"box"_s; };
        UpdateStarter starter(folder.programFolder(), prompter, [&] { events << u"end"_s; });

        starter.start();

        QCOMPARE(events, QStringList({u"box"_s, u"end"_s}));
        const MessageBoxRequest& box = prompter.asked.constFirst();
        QVERIFY2(box.text.contains(QString::fromLocal8Bit(std::strerror(error))), qPrintable(box.text));
        QCOMPARE(box, (MessageBoxRequest{box.text, QString(), QMessageBox::Ok, QMessageBox::Critical}));
    }
};

QTEST_GUILESS_MAIN(UpdateStarterTest)
#include "test_update_starter.moc"
