#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <LoopbackHttpServer.h>

// A loopback stand-in for the tracking aggregator web site: the fifteen tracking pages,
// their result pages, a frameset, a slow answer, the author's home page and the
// update server's version file. It listens on 127.0.0.1 only.
//
// A number written as "SLOW" followed by a known number is answered with that number's
// history after the slow delay; "ADS" followed by a known number gets that history on a
// result page that carries an advert frame reloading itself every 0.7 s; every other
// number that is not known gets the page that holds one empty line between the markers.
//
// Test side only: with a hostile script set, every tracking and result page runs it
// (pages/hostile/NAME.js): dialogs, permission requests, pop-ups, a download, a late
// advert frame, a busy loop, a hang, an image that never arrives, a spinning freeze
// handler, a looping worker, a result page reloading itself, a resource that wants a
// password, another site's frame, a history line of 7.8 million characters, 100,000
// history lines, storage filled on every tracking page ("storage", "mb=N" its
// size). What such a page learns it reports to
// "/hostile/report", recorded as a submission of that path. The script "slow-page" has
// no file: the tracking pages themselves come hostileSlowPageMs late.
//
// With results in page, the tracking pages' button fetches the result and writes it
// into the page itself: the page never navigates (the fetch is recorded as a submission
// to "/track/...").
class SampleAggregator : public QObject {
    Q_OBJECT
public:
    struct Submission {
        QString path;
        QMap<QString, QString> fields;
    };

    explicit SampleAggregator(QObject* parent = nullptr);

    // Port 0 picks a free one. Returns false when the port cannot be bound.
    bool listen(quint16 port = 0);
    quint16 port() const;
    // "127.0.0.1:PORT"
    QString hostA() const;
    // "localhost:PORT"
    QString hostB() const;
    // "http://127.0.0.1:PORT/home/"
    QString homePage() const;

    // Every form submission received, oldest first.
    QList<Submission> submissions() const;
    void setSlowDelayMs(int ms);
    int slowDelayMs() const;
    void setResultsInPage(bool inPage);
    bool resultsInPage() const;
    // Empty: none (the default site). The query goes with the script's address.
    void setHostileScript(const QString& name, const QString& query = {});
    static constexpr const char* hostileReportPath = "/hostile/report";
    static constexpr const char* hostileDownloadPath = "/hostile/download.bin";
    static constexpr const char* hostileProtectedPath = "/hostile/protected";
    static constexpr const char* hostileThirdPartyFramePath = "/hostile/third-party-frame";
    static constexpr int hostileSlowPageMs = 1500;
    // How often the advert frame of an "ADS" result page reloads itself.
    static constexpr int advertReloadMs = 700;

    static QStringList knownNumbers();
    // The lines the result page's text shows between the two marker lines for a number:
    // the history of a known number (also with the "SLOW" prefix), one empty line otherwise.
    static QStringList historyLines(const QString& number);

Q_SIGNALS:
    void submitted(const SampleAggregator::Submission& submission);
    void requestServed(const QString& method, const QString& path);

private:
    LoopbackHttpServer::Response answer(const LoopbackHttpServer::Request& request);
    LoopbackHttpServer::Response answerHostile(const LoopbackHttpServer::Request& request);
    QString hostileScriptTags() const;

    LoopbackHttpServer server_;
    QList<Submission> submissions_;
    int slowDelayMs_;
    bool resultsInPage_ = false;
    QString hostileScript_;
    QString hostileScriptQuery_;
};

Q_DECLARE_METATYPE(SampleAggregator::Submission)
