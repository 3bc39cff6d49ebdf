// The history cut-out against its contract, worked out independently on the page's
// lines: the output is the run of input lines strictly between the last start marker
// (or line 0) and the last end marker, each followed by CR LF, or nothing.
#include "tracking/ResultCapture.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QString startMarker = QStringLiteral("时间地点和跟踪进度");
const QString endMarker = QStringLiteral(" 收藏本站，方便下次查询");
const QString lineEnd = QStringLiteral("\r\n");

void fail(const char* what, const QString& page, const QString& output)
{
    std::fprintf(stderr, "cutOutHistory: %s\npage: %s\noutput: %s\n", what, qPrintable(page),
                 qPrintable(output));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString output = trovix::cutOutHistory(page);

    const QStringList lines = page.split(lineEnd);
    const qsizetype start = qMax<qsizetype>(0, lines.lastIndexOf(startMarker));
    const qsizetype end = lines.lastIndexOf(endMarker);

    if (end <= start + 1) {
        if (!output.isEmpty())
            fail("history without a start and end marker in order", page, output);
        return 0;
    }
    if (!output.endsWith(lineEnd))
        fail("history that does not end in CR LF", page, output);

    const QStringList taken = output.first(output.size() - lineEnd.size()).split(lineEnd);
    if (taken != lines.mid(start + 1, end - start - 1))
        fail("history that is not the lines between the markers", page, output);
    if (taken.contains(startMarker))
        fail("history that holds a start marker", page, output);
    return 0;
}
