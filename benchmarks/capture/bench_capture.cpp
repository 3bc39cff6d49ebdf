// Times a capture of long page texts and prints one line per page size.
#include "MedianTime.h"
#include "common/AnsiText.h"
#include "common/Prompter.h"
#include "tracking/Browser.h"
#include "tracking/CaptureTimer.h"
#include "tracking/HandlerQueue.h"
#include "tracking/ResultBox.h"
#include "tracking/ResultCapture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Hands out a fixed page text at once, so only the capture itself is timed.
class PageTextBrowser final : public trovix::Browser {
public:
    void navigate(const QString&) override {}
    void bindElements(DocumentId, const QList<trovix::ElementBinding>&,
                      std::function<void(const QList<bool>&)> done) override
    {
        done({});
    }
    void setValue(const QString&, const QString&) override {}
    void click(const QString&) override {}
    void readBodyText(std::function<void(const QString&)> done) override { done(pageText); }

    QString pageText;
};

class AnsweringPrompter final : public trovix::Prompter {
public:
    QMessageBox::StandardButton ask(const trovix::MessageBoxRequest&) override { return QMessageBox::Ok; }
};

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
    QTemporaryDir programFolder;
    if (!programFolder.isValid())
        return 1;

    PageTextBrowser browser;
    AnsweringPrompter prompter;
    trovix::PageTextBuffer rawPageBox;
    QTextEdit resultBox;
    QTimer timer1;
    trovix::CaptureTimer captureTimer(&timer1);
    trovix::HandlerQueue handlers;
    trovix::ResultCapture capture(browser, &rawPageBox, &resultBox, captureTimer, prompter, handlers,
                                  programFolder.path());
    const auto clearResult = [&] { resultBox.clear(); };
    const auto captureOnce = [&] {
        QEventLoop loop;
        QObject::connect(&capture, &trovix::ResultCapture::captureFinished, &loop, &QEventLoop::quit);
        capture.capture();
        loop.exec();
    };

    for (const int lines : {10'000, 100'000, 1'000'000}) {
        browser.pageText = pageOfLines(lines);
        const int runs = lines >= 1'000'000 ? 3 : 5;
        const double whole = trovix::bench::medianMs(runs, clearResult, captureOnce);
        std::printf("capture %d lines (%.1f MB GB18030): %.1f ms\n", lines,
                    double(trovix::ansi::encode(browser.pageText).size()) / 1e6, whole);
        std::fflush(stdout);
    }
    return 0;
}
