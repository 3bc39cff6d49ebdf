#include "SampleAggregator.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString startMarker = QStringLiteral("时间地点和跟踪进度");
const QString endMarker = QStringLiteral(" 收藏本站，方便下次查询");

} // namespace

class TestSampleAggregator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(aggregator_.listen());
        view_.resize(1024, 768);
    }
    void cleanup() { view_.setUrl(QUrl(QStringLiteral("about:blank"))); }
    void submittedQueryShowsHistoryBetweenMarkers_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("codeField");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("code");

        const QStringList known = SampleAggregator::knownNumbers();
        QVERIFY(!known.isEmpty());
        for (const QString& number : known)
            QTest::newRow(qPrintable(number)) << "/all/ems.html"
                                              << "valicode" << number << "";
        QTest::newRow("telephone page") << "/all/jjwl.html"
                                        << "valicodetel" << known.first() << "13912345678";
        QTest::newRow("slow answer") << "/all/zt.html"
                                     << "valicode" << u"SLOW"_s + known.last() << "";
        QTest::newRow("unknown number") << "/all/sf.html"
                                        << "valicode"
                                        << "SF0000000000"
                                        << "1234";
        QTest::newRow("markup and form characters") << "/all/st.html"
                                                    << "valicode"
                                                    << "<b>1&2=3+4 %41{{rows}}</b>"
                                                    << "中文 验证码#";
        QTest::newRow("empty number") << "/all/ztky.html"
                                      << "valicode"
                                      << ""
                                      << "";
    }
    void submittedQueryShowsHistoryBetweenMarkers()
    {
        QFETCH(QString, page);
        QFETCH(QString, codeField);
        QFETCH(QString, number);
        QFETCH(QString, code);
        aggregator_.setSlowDelayMs(1500);

        QVERIFY(load(page));
        QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
        QSignalSpy finished(&view_, &QWebEngineView::loadFinished);
        view_.page()->runJavaScript(
            QStringLiteral("(function(n, c) { document.getElementById('postid').value = n;"
                           " document.getElementById('%1').value = c;"
                           " document.getElementById('lika').click(); })(decodeURIComponent('%2'), "
                           "decodeURIComponent('%3'))")
                .arg(codeField, QString::fromLatin1(QUrl::toPercentEncoding(number)),
                     QString::fromLatin1(QUrl::toPercentEncoding(code))));
        QVERIFY(finished.wait(30000));
        QVERIFY(finished.first().first().toBool());

        QCOMPARE(submitted.count(), 1);
        const SampleAggregator::Submission submission = aggregator_.submissions().constLast();
        QVERIFY(submission.path.startsWith(QLatin1String("/query/")));
        QCOMPARE(submission.fields.value(QStringLiteral("postid")), number);
        QCOMPARE(submission.fields.value(codeField), code);

        const QStringList lines =
            evaluate(QStringLiteral("document.body.innerText")).toString().split(QLatin1Char('\n'));
        QCOMPARE(lines.count(startMarker), 1);
        QCOMPARE(lines.count(endMarker), 1);
        const qsizetype start = lines.indexOf(startMarker);
        const qsizetype end = lines.indexOf(endMarker);
        QVERIFY(start > 0);
        QVERIFY(end < lines.size() - 1);
        QCOMPARE(lines.mid(start + 1, end - start - 1), SampleAggregator::historyLines(number));
    }
    void pageElements_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<bool>("loads");

        const QString top = QStringLiteral("window");
        const QStringList none{};
        QTest::newRow("home page") << "/home/" << top << none << true;
        QTest::newRow("front page") << "/" << top << none << true;
        QTest::newRow("missing page") << "/all/nosuch.html" << top << none << false;
        QTest::newRow("courier page")
            << "/all/ems.html" << top << QStringList{u"postid"_s, u"valicode"_s, u"lika"_s} << true;
        QTest::newRow("telephone page, host form B")
            << u"http://"_s + aggregator_.hostB() + u"/all/jjwl.html"_s << top
            << QStringList{u"postid"_s, u"valicodetel"_s, u"lika"_s} << true;
        QTest::newRow("frameset banner") << "/frames/index.html"
                                         << "window.frames[0]" << none << true;
        QTest::newRow("frameset query")
            << "/frames/index.html"
            << "window.frames[1]" << QStringList{u"postid"_s, u"valicode"_s, u"lika"_s} << true;
    }
    void pageElements()
    {
        QFETCH(QString, path);
        QFETCH(QString, frame);
        QFETCH(QStringList, present);
        QFETCH(bool, loads);

        QCOMPARE(load(path), loads);
        const QStringList ids{u"postid"_s, u"valicode"_s, u"valicodetel"_s, u"lika"_s};
        const QString found =
            evaluate(QStringLiteral("%1.document.body ? ['%2'].filter(function(id) {"
                                    " return %1.document.getElementById(id) !== null; }).join(',')"
                                    " : 'no body'")
                         .arg(frame, ids.join(QStringLiteral("','"))))
                .toString();
        QCOMPARE(found, present.join(QLatin1Char(',')));
    }
    void versionFileAnnouncesThisVersion()
    {
        QNetworkAccessManager network;
        QNetworkReply* reply = network.get(
            QNetworkRequest(QUrl(QStringLiteral("http://%1/update.ini").arg(aggregator_.hostA()))));
        QSignalSpy done(reply, &QNetworkReply::finished);
        QVERIFY(done.wait(30000));
        QCOMPARE(reply->readAll(), QByteArray("[Ver]\r\nnew=1.2\r\n"));
        reply->deleteLater();
    }
    // An installed package starts this site by itself: no one may take it for the real one.
    void homePageSaysItIsASampleSite()
    {
        QVERIFY(load(aggregator_.homePage()));
        const QString notice = QStringLiteral("这是示例网站（sample site）。");
        QString text;
        // The blank page of the previous test may still be the one that finished loading.
        QTRY_VERIFY_WITH_TIMEOUT(
            (text = evaluate(QStringLiteral("document.body ? document.body.innerText : ''")).toString())
                .startsWith(notice),
            30000);
        for (const QString& number : SampleAggregator::knownNumbers())
            QVERIFY2(text.contains(number), qPrintable(number));
    }

private:
    // A path is taken on host form A.
    bool load(const QString& address)
    {
        const QString url =
            address.startsWith(QLatin1Char('/')) ? u"http://"_s + aggregator_.hostA() + address : address;
        QSignalSpy finished(&view_, &QWebEngineView::loadFinished);
        view_.setUrl(QUrl(url));
        return finished.wait(30000) && finished.first().first().toBool();
    }
    QVariant evaluate(const QString& script)
    {
        std::optional<QVariant> result;
        view_.page()->runJavaScript(script, [&result](const QVariant& value) { result = value; });
        if (!QTest::qWaitFor([&result] { return result.has_value(); }, 30000))
            return {};
        return *result;
    }

    SampleAggregator aggregator_;
    QWebEngineView view_;
};

QTEST_MAIN(TestSampleAggregator)
#include "test_sample_aggregator.moc"
