#include "engine/AnswerWatchdog.h"
#include "engine/CallRecord.h"
#include "engine/IdleProcessWatch.h"

#include <QtTest>

using trovix::AnswerWatchdog;
using trovix::CallRecord;
using trovix::IdleProcessWatch;
using namespace Qt::StringLiterals;

class PageProcessTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void callsAnswerOnceAndInOrder()
    {
        CallRecord calls;
        QStringList answers;
        auto record = [&](const QString& name) {
            return [&answers, name](const QVariant& value) {
                answers << name + QLatin1Char('=') + value.toString();
            };
        };
        calls.add(record(QStringLiteral("a")));
        const quint64 b = calls.add(record(QStringLiteral("b")));
        // An answer may send a call of its own, which is then answered in turn.
        const quint64 c = calls.add([&](const QVariant&) {
            answers << QStringLiteral("c");
            calls.add(record(QStringLiteral("d")));
        });
        calls.answer(b, QStringLiteral("B"));
        calls.answer(b, QStringLiteral("again"));
        calls.answer(c, {});
        calls.giveUpAll();
        calls.giveUpAll();
        QCOMPARE(answers.join(QLatin1Char(' ')), QStringLiteral("a= b=B c d="));
    }

    void hungProcessIsEnded_data()
    {
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<int>("probesBeforeTheEnd");
        QTest::newRow("silent") << false << QString() << 1;
        // The probe may have gone with the document that was left, or be held by the one on
        // its way: it is asked again.
        QTest::newRow("silent, a document loaded meanwhile") << false << u"loaded"_s << 2;
        QTest::newRow("silent while a document comes") << false << u"coming"_s << 2;
        QTest::newRow("answering") << true << QString() << 0;
    }
    void hungProcessIsEnded()
    {
        QFETCH(bool, answers);
        QFETCH(QString, meanwhile);
        QFETCH(int, probesBeforeTheEnd);
        int probes = 0;
        int loads = 0;
        QList<qint64> ended;
        AnswerWatchdog watchdog({[] { return qint64(4242); },
                                 [&](std::function<void()> answered) {
                                     ++probes;
                                     if (meanwhile == u"loaded"_s && probes == 1)
                                         ++loads;
                                     if (answers)
                                         answered();
                                 },
                                 [&] { return loads; },
                                 [&] { return meanwhile == u"coming"_s && probes == 1; },
                                 [&](qint64 pid) { ended << pid; }},
                                nullptr);
        watchdog.setDeadline(20);
        bool thenRan = false;
        watchdog.check([&] { thenRan = true; });
        if (!answers) {
            QTRY_COMPARE(ended, QList<qint64>({4242}));
            QCOMPARE(probes, probesBeforeTheEnd);
            QVERIFY(!thenRan);
            return;
        }
        QVERIFY(thenRan);
        // Well past the deadline: nothing may end an answering process.
        QTest::qWait(100);
        QVERIFY(ended.isEmpty());
    }

    void restingProcessThatSpinsIsEnded_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("spins");
        QTest::newRow("idle") << QStringLiteral("sleep 30") << false;
        QTest::newRow("spinning") << QStringLiteral("while :; do :; done") << true;
    }
    void restingProcessThatSpinsIsEnded()
    {
        QFETCH(QString, command);
        QFETCH(bool, spins);
        QProcess process;
        process.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
        QVERIFY(process.waitForStarted());
        QList<qint64> ended;
        IdleProcessWatch watch([&](qint64 pid) { ended << pid; });
        watch.watch(process.processId());
        if (spins) {
            QTRY_VERIFY(watch.spinning());
            QTRY_COMPARE(ended, QList<qint64>({process.processId()}));
        } else {
            QTest::qWait(IdleProcessWatch::graceMs + 2 * IdleProcessWatch::windowMs);
            QVERIFY(!watch.spinning());
            QVERIFY(ended.isEmpty());
        }
        process.kill();
        process.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(PageProcessTest)
#include "test_page_process.moc"
