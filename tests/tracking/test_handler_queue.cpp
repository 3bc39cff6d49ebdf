#include "tracking/HandlerQueue.h"

#include <QtTest>

#include <memory>

using trovix::HandlerQueue;

namespace {

// A handler that logs its name and finishes at once, or keeps its finish for later.
HandlerQueue::Handler logging(QStringList& log, const QString& name, HandlerQueue::Finish* keep = nullptr)
{
    return [&log, name, keep](const HandlerQueue::Finish& finish) {
        log.append(name);
        if (keep)
            *keep = finish;
        else
            finish();
    };
}

} // namespace

class HandlerQueueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void handlersWaitForAnUnfinishedOne()
    {
        HandlerQueue queue;
        QStringList log;
        HandlerQueue::Finish finishA;
        queue.run(logging(log, QStringLiteral("A"), &finishA));
        queue.run(logging(log, QStringLiteral("B")));
        queue.run(logging(log, QStringLiteral("C")));
        QCOMPARE(log, QStringList{QStringLiteral("A")});
        QVERIFY(queue.isBusy());

        finishA();
        QCOMPARE(log, (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        QVERIFY(!queue.isBusy());
    }

    void aHandlerQueuedFromInsideOneRunsAfterIt()
    {
        HandlerQueue queue;
        QStringList log;
        queue.run([&](const HandlerQueue::Finish& finish) {
            queue.run(logging(log, QStringLiteral("inner")));
            log.append(QStringLiteral("outer"));
            finish();
        });
        QCOMPARE(log, (QStringList{QStringLiteral("outer"), QStringLiteral("inner")}));
    }

    void finishingTwiceEndsOnlyTheOwnTurn()
    {
        HandlerQueue queue;
        QStringList log;
        HandlerQueue::Finish finishA;
        HandlerQueue::Finish finishB;
        queue.run(logging(log, QStringLiteral("A"), &finishA));
        queue.run(logging(log, QStringLiteral("B"), &finishB));
        queue.run(logging(log, QStringLiteral("C")));
        finishA();
        finishA();
        QCOMPARE(log, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        finishB();
        QCOMPARE(log.last(), QStringLiteral("C"));
    }

    void stopDropsWhatWaitsAndWhatComes()
    {
        HandlerQueue queue;
        QStringList log;
        HandlerQueue::Finish finishA;
        queue.run(logging(log, QStringLiteral("A"), &finishA));
        queue.run(logging(log, QStringLiteral("B")));
        queue.stop();
        finishA();
        queue.run(logging(log, QStringLiteral("C")));
        QCOMPARE(log, QStringList{QStringLiteral("A")});
    }

    void finishAfterTheQueueIsGoneIsHarmless()
    {
        auto queue = std::make_unique<HandlerQueue>();
        QStringList log;
        HandlerQueue::Finish finishA;
        queue->run(logging(log, QStringLiteral("A"), &finishA));
        queue.reset();
        finishA();
        QCOMPARE(log, QStringList{QStringLiteral("A")});
    }
};

QTEST_MAIN(HandlerQueueTest)
#include "test_handler_queue.moc"
