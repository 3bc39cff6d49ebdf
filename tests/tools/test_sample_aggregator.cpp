#include "SampleAggregator.h"
#include "ScriptedPage.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString startMarker = u"时间地点和跟踪进度"_s;
const QString endMarker = u" 收藏本站，方便下次查询"_s;

} // namespace

class TestSampleAggregator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(aggregator_.listen());
        QVERIFY(page_.ready());
    }
    void cleanup() { page_.load(u"about:blank"_s); }
    void submittedQueryShowsHistoryBetweenMarkers_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("codeField");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("code");

        const QStringList known = SampleAggregator::knownNumbers();
        QVERIFY(!known.isEmpty());
        for (const QString& number : known)
            QTest::newRow(qPrintable(number)) << u"/all/ems.html"_s << u"valicode"_s << number << QString();
        QTest::newRow("telephone page")
            << u"/all/jjwl.html"_s << u"valicodetel"_s << known.first() << u"13912345678"_s;
        QTest::newRow("slow answer") << u"/all/zt.html"_s << u"valicode"_s << u"SLOW"_s + known.last()
                                     << QString();
        QTest::newRow("unknown number")
            << u"/all/sf.html"_s << u"valicode"_s << u"SF0000000000"_s << u"1234"_s;
        QTest::newRow("markup and form characters")
            << u"/all/st.html"_s << u"valicode"_s << u"<b>1&2=3+4 %41{{rows}}</b>"_s << u"中文 验证码#"_s;
        QTest::newRow("empty number") << u"/all/ztky.html"_s << u"valicode"_s << QString() << QString();
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
        const int loads = page_.loads();
        page_.evaluate(
            QStringLiteral("(function(n, c) { document.getElementById('postid').value = n;"
                           " document.getElementById('%1').value = c;"
                           " document.getElementById('lika').click(); })(decodeURIComponent('%2'), "
                           "decodeURIComponent('%3'))")
                .arg(codeField, QString::fromLatin1(QUrl::toPercentEncoding(number)),
                     QString::fromLatin1(QUrl::toPercentEncoding(code))));
        QVERIFY(spinUntil([&] { return page_.loads() > loads; }, 30000));

        QCOMPARE(submitted.count(), 1);
        const SampleAggregator::Submission submission = aggregator_.submissions().constLast();
        QVERIFY(submission.path.startsWith(QLatin1String("/query/")));
        QCOMPARE(submission.fields.value(u"postid"_s), number);
        QCOMPARE(submission.fields.value(codeField), code);

        const QStringList lines = evaluate(u"document.body.innerText"_s).toString().split(QLatin1Char('\n'));
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

        const QString top = u"window"_s;
        const QStringList none{};
        QTest::newRow("home page") << u"/home/"_s << top << none << true;
        QTest::newRow("front page") << u"/"_s << top << none << true;
        QTest::newRow("missing page") << u"/all/nosuch.html"_s << top << none << false;
        QTest::newRow("courier page")
            << u"/all/ems.html"_s << top << QStringList{u"postid"_s, u"valicode"_s, u"lika"_s} << true;
        QTest::newRow("telephone page, host form B")
            << u"http://"_s + aggregator_.hostB() + u"/all/jjwl.html"_s << top
            << QStringList{u"postid"_s, u"valicodetel"_s, u"lika"_s} << true;
        QTest::newRow("frameset banner") << u"/frames/index.html"_s << u"window.frames[0]"_s << none << true;
        QTest::newRow("frameset query") << u"/frames/index.html"_s << u"window.frames[1]"_s
                                        << QStringList{u"postid"_s, u"valicode"_s, u"lika"_s} << true;
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
                         .arg(frame, ids.join(u"','"_s)))
                .toString();
        QCOMPARE(found, present.join(QLatin1Char(',')));
    }
    void versionFileAnnouncesThisVersion()
    {
        QNetworkAccessManager network;
        QNetworkReply* reply =
            network.get(QNetworkRequest(QUrl(u"http://%1/update.ini"_s.arg(aggregator_.hostA()))));
        QSignalSpy done(reply, &QNetworkReply::finished);
        QVERIFY(done.wait(30000));
        QCOMPARE(reply->readAll(), QByteArray("[Ver]\r\nnew=1.2\r\n"));
        reply->deleteLater();
    }
    // An installed package starts this site by itself: no one may take it for the real one.
    void homePageSaysItIsASampleSite()
    {
        QVERIFY(load(aggregator_.homePage()));
        const QString notice = u"这是示例网站（sample site）。"_s;
        QString text;
        // The blank page of the previous test may still be the one that finished loading.
        QTRY_VERIFY_WITH_TIMEOUT(
            (text = evaluate(u"document.body ? document.body.innerText : ''"_s).toString())
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
        return page_.load(url);
    }
    QVariant evaluate(const QString& script) { return page_.evaluate(script); }

    SampleAggregator aggregator_;
    ScriptedPage page_;
};

QTEST_MAIN(TestSampleAggregator)
#include "test_sample_aggregator.moc"
