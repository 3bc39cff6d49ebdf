#include "engine/ChromiumBrowser.h"
#include "engine/DevToolsConnection.h"
#include "engine/DevToolsSession.h"
#include "engine/PipeTransport.h"

#include "SpinUntil.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

using namespace trovix;

// The pipe to the browser and the protocol over it, against a browser that misbehaves:
// every call is answered, and nothing of ours goes down with it.
class DevToolsPipeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        int toUs[2], toBrowser[2];
        QVERIFY(::pipe2(toUs, O_CLOEXEC) == 0 && ::pipe2(toBrowser, O_CLOEXEC) == 0);
        browserIn_ = toBrowser[0];
        browserOut_ = toUs[1];
        // The test writes and we read on one thread: a full pipe must not block it.
        ::fcntl(browserOut_, F_SETFL, O_NONBLOCK);
        connection_ = std::make_unique<DevToolsConnection>(new PipeTransport(toUs[0], toBrowser[1]));
    }

    void cleanup()
    {
        connection_.reset();
        for (int fd : {browserIn_, browserOut_})
            if (fd >= 0)
                ::close(fd);
        browserIn_ = browserOut_ = -1;
    }

    void repliesEventsAndSessions()
    {
        std::optional<DevToolsReply> first, second;
        connection_->send(QStringLiteral("A.one"), {}, [&](const DevToolsReply& reply) { first = reply; });
        connection_->send(
            QStringLiteral("A.two"), {}, [&](const DevToolsReply& reply) { second = reply; },
            QStringLiteral("S"));
        QSignalSpy events(connection_->session(QStringLiteral("S")), &DevToolsSession::event);
        // Out of order, a reply to nobody, an event in two pieces, then a detach.
        browserSays(QByteArray("{\"id\":2,\"error\":{\"message\":\"no\"}}"));
        browserSays(QByteArray("{\"id\":9,\"result\":{}}"));
        browserSays(QByteArray("{\"id\":1,\"result\":{\"x\":1}}"));
        browserSays(QByteArray("{\"method\":\"P.e\",\"params\":{\"n\":1},\"sessionId\":\"S\"}"), 20);
        QVERIFY(spinUntil([&] { return first && second && events.size() == 1; }));
        QVERIFY(first->ok && first->result.value(QStringLiteral("x")).toInt() == 1);
        QVERIFY(!second->ok && second->error == QStringLiteral("no"));
        QCOMPARE(events.first().at(0).toString(), QStringLiteral("P.e"));
        QByteArray sent(4096, '\0');
        const ssize_t got = ::read(browserIn_, sent.data(), size_t(sent.size()));
        QVERIFY(got > 0);
        QCOMPARE(sent.left(got).count('\0'), 2);
        QVERIFY(sent.contains(QByteArray("\"sessionId\":\"S\"")));
    }

    void everyPendingCallIsAnsweredWhenTheBrowserFails_data()
    {
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("reply cut off, then gone") << QByteArray("{\"id\":1,\"resu");
        QTest::newRow("garbage, then gone") << QByteArray("garbage\0[1]\0{\"id\":", 19);
        QTest::newRow("gone mid-call") << QByteArray();
    }

    void everyPendingCallIsAnsweredWhenTheBrowserFails()
    {
        QFETCH(QByteArray, says);
        QStringList answers;
        for (const char* method : {"A.one", "A.two"})
            connection_->send(
                QString::fromLatin1(method), {}, [&answers, method](const DevToolsReply& reply) {
                    answers << QString::fromLatin1(method) +
                                   (reply.ok ? QStringLiteral(" ok") : QStringLiteral(" failed"));
                });
        QSignalSpy closed(connection_.get(), &DevToolsConnection::closed);
        browserSays(says, 0, false);
        ::close(std::exchange(browserOut_, -1));
        QVERIFY(spinUntil([&] { return !closed.isEmpty(); }));
        QCOMPARE(answers, (QStringList{QStringLiteral("A.one failed"), QStringLiteral("A.two failed")}));
        QVERIFY(!connection_->isOpen());
        // Later calls still answer, failed.
        bool answered = false;
        connection_->send(QStringLiteral("A.three"), {},
                          [&](const DevToolsReply& reply) { answered = !reply.ok; });
        QVERIFY(spinUntil([&] { return answered; }));
    }

    // A browser that cannot speak the protocol (garbage, a reply cut off, a message over the
    // cap, gone mid-call) is one that cannot start: said, and the page answers as an empty one.
    void misbehavingBrowserIsUnavailable_data()
    {
        QTest::addColumn<QByteArray>("fault");
        for (const char* fault : {"garbage", "cut", "dies", "huge"})
            QTest::newRow(fault) << QByteArray(fault);
    }

    void misbehavingBrowserIsUnavailable()
    {
        QFETCH(QByteArray, fault);
        qputenv("TROVIX_BROWSER", QFINDTESTDATA("stand-in-browser.sh").toLocal8Bit());
        qputenv("TROVIX_STAND_IN_FAULT", fault);
        ChromiumBrowser browser(QSize(433, 425), {});
        // Garbage never ends the pipe: the start's deadline does.
        browser.setAnswerDeadline(500);
        QSignalSpy unavailable(&browser, &ChromiumBrowser::engineUnavailable);
        browser.navigate(QStringLiteral("http://127.0.0.1:9/"));
        std::optional<QString> text;
        browser.readBodyText([&](const QString& answer) { text = answer; });
        QVERIFY(spinUntil([&] { return text.has_value(); }));
        QCOMPARE(*text, QString());
        if (fault != "garbage")
            QVERIFY(spinUntil([&] { return !unavailable.isEmpty(); }, 60000));
        qunsetenv("TROVIX_BROWSER");
        qunsetenv("TROVIX_STAND_IN_FAULT");
    }

private:
    // Writes a message, NUL-ended unless told otherwise, in pieces of `piece` bytes.
    void browserSays(const QByteArray& message, int piece = 0, bool ended = true)
    {
        const QByteArray bytes = ended ? message + '\0' : message;
        const int step = piece > 0 ? piece : int(bytes.size());
        for (int at = 0; at < bytes.size(); at += step) {
            QVERIFY(::write(browserOut_, bytes.constData() + at,
                            size_t(qMin<qsizetype>(step, bytes.size() - at))) > 0);
            QCoreApplication::processEvents();
        }
    }

    std::unique_ptr<DevToolsConnection> connection_;
    int browserIn_ = -1;
    int browserOut_ = -1;
};

QTEST_MAIN(DevToolsPipeTest)
#include "test_devtools_pipe.moc"
