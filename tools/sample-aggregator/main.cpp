#include "SampleAggregator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sample-aggregator"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Loopback stand-in for the tracking aggregator web site."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port on 127.0.0.1 (0: any free one)."),
                                        QStringLiteral("N"), QString::number(TROVIX_SAMPLE_PORT));
    const QCommandLineOption slowOption(QStringLiteral("slow-ms"),
                                        QStringLiteral("Delay of the answer for numbers written SLOW..."),
                                        QStringLiteral("MS"), QStringLiteral("7000"));
    const QCommandLineOption inPageOption(
        QStringLiteral("results-in-page"),
        QStringLiteral("Tracking pages write the history into themselves instead of loading a result page."));
    parser.addOption(portOption);
    parser.addOption(slowOption);
    parser.addOption(inPageOption);
    parser.process(app);

    QTextStream err(stderr);
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    bool slowOk = false;
    const int slowMs = parser.value(slowOption).toInt(&slowOk);
    if (!portOk || port > 65535 || !slowOk || slowMs < 0) {
        err << "sample-aggregator: --port needs 0..65535 and --slow-ms a number of milliseconds\n";
        return 2;
    }

    SampleAggregator aggregator;
    aggregator.setSlowDelayMs(slowMs);
    aggregator.setResultsInPage(parser.isSet(inPageOption));
    if (!aggregator.listen(static_cast<quint16>(port))) {
        err << "sample-aggregator: cannot listen on 127.0.0.1:" << port << '\n';
        return 1;
    }

    QTextStream out(stdout);
    out << "sample-aggregator: serving http://" << aggregator.hostA() << "/ (home page "
        << aggregator.homePage() << ")" << Qt::endl;
    QObject::connect(
        &aggregator, &SampleAggregator::requestServed, &app,
        [&out](const QString& method, const QString& path) { out << method << ' ' << path << Qt::endl; });
    QObject::connect(&aggregator, &SampleAggregator::submitted, &app,
                     [&out](const SampleAggregator::Submission& submission) {
                         for (auto it = submission.fields.begin(); it != submission.fields.end(); ++it)
                             out << "  " << it.key() << '=' << it.value() << Qt::endl;
                     });
    return app.exec();
}
