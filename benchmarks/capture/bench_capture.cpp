// Times a capture of long page texts and prints one line per page size.
#include "MedianTime.h"
#include "StandInTracking.h"
#include "common/AnsiText.h"

#include <QApplication>
#include <QEventLoop>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>

namespace {

// A long page in the aggregator's shape: navigation and adverts, then the history
// between the two markers a dozen lines before the end.
QString pageOfLines(int lines)
{
    const QStringList filler{
        QStringLiteral("首页 | 快递查询 | 物流查询 | 网点查询 | 价格查询 | 帮助中心"),
        QStringLiteral("广告：同城急送 2 小时达，全国 1000 多个城市 www.example.invalid"),
        QStringLiteral(""),
        QStringLiteral("Copyright 2009-2024 tracking aggregator, all rights reserved"),
    };
    const QStringList history{
        QStringLiteral("2024-03-01 08:12:45  上海市浦东新区公司 已收件"),
        QStringLiteral("2024-03-01 21:40:02  上海转运中心 已发出，下一站 北京转运中心"),
        QStringLiteral("2024-03-02 17:03:19  北京市海淀区中关村营业部 派件中"),
    };
    QStringList page;
    page.reserve(lines);
    while (page.size() < lines - 12)
        page.append(filler[page.size() % filler.size()]);
    page.append(QStringLiteral("时间地点和跟踪进度"));
    page.append(history);
    page.append(QStringLiteral(" 收藏本站，方便下次查询"));
    while (page.size() < lines)
        page.append(filler[page.size() % filler.size()]);
    return page.join(QStringLiteral("\r\n"));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The window's tracking, whose capture timer expires at once.
    StandInTracking tracking;
    if (!tracking.folder.isValid())
        return 1;
    QTimer* timer1 = tracking.widgets.timer1;
    timer1->setInterval(0);

    const auto clearResult = [&] { tracking.widgets.richTextBox3->clear(); };
    const auto captureOnce = [&] {
        QEventLoop loop;
        QObject::connect(tracking.session.get(), &trovix::TrackingSession::captureFinished, &loop,
                         &QEventLoop::quit);
        timer1->start();
        loop.exec();
    };

    for (const int lines : {10'000, 100'000, 1'000'000}) {
        tracking.browser.bodyText = pageOfLines(lines);
        const int runs = lines >= 1'000'000 ? 3 : 5;
        const double whole = trovix::bench::medianMs(runs, clearResult, captureOnce);
        std::printf("capture %d lines (%.1f MB GB18030): %.1f ms\n", lines,
                    double(trovix::ansi::encode(tracking.browser.bodyText).size()) / 1e6, whole);
        std::fflush(stdout);
    }
    return 0;
}
