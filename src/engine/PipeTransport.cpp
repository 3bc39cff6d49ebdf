#include "engine/PipeTransport.h"

#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace trovix {

namespace {

constexpr qsizetype readChunk = 1024 * 1024;

void makeNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

PipeTransport::PipeTransport(int readFd, int writeFd, QObject* parent)
    : QObject(parent), readFd_(readFd), writeFd_(writeFd)
{
    makeNonBlocking(readFd_);
    makeNonBlocking(writeFd_);
    readNotifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PipeTransport::readAvailable);
    writeNotifier_ = new QSocketNotifier(writeFd_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PipeTransport::writePending);
}

PipeTransport::~PipeTransport()
{
    close();
}

void PipeTransport::close()
{
    if (readFd_ < 0)
        return;
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    ::close(readFd_);
    ::close(writeFd_);
    readFd_ = writeFd_ = -1;
    inbound_.clear();
    outbound_.clear();
}

void PipeTransport::fail()
{
    close();
    Q_EMIT closed();
}

void PipeTransport::send(const QByteArray& message)
{
    if (!isOpen())
        return;
    outbound_ += message;
    outbound_ += '\0';
    if (!writeNotifier_->isEnabled())
        writePending();
}

void PipeTransport::writePending()
{
    while (!outbound_.isEmpty()) {
        const ssize_t written = ::write(writeFd_, outbound_.constData(), size_t(outbound_.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN) {
            writeNotifier_->setEnabled(true);
            return;
        }
        if (written <= 0) {
            fail();
            return;
        }
        outbound_.remove(0, written);
    }
    writeNotifier_->setEnabled(false);
}

void PipeTransport::readAvailable()
{
    QPointer<PipeTransport> self(this);
    for (;;) {
        const qsizetype before = inbound_.size();
        // Grown by doubling: a message of tens of MB arrives in many reads.
        if (inbound_.capacity() < before + readChunk)
            inbound_.reserve(qMax(2 * inbound_.capacity(), before + readChunk));
        inbound_.resize(before + readChunk);
        const ssize_t got = ::read(readFd_, inbound_.data() + before, size_t(readChunk));
        inbound_.resize(before + qMax<ssize_t>(got, 0));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            break;
        if (got <= 0) {
            fail();
            return;
        }
        qsizetype start = 0;
        for (qsizetype end = inbound_.indexOf('\0', scanned_); end >= 0;
             end = inbound_.indexOf('\0', start)) {
            const QByteArray message = inbound_.mid(start, end - start);
            start = end + 1;
            Q_EMIT messageReceived(message);
            if (!self || !isOpen())
                return;
        }
        inbound_.remove(0, start);
        scanned_ = inbound_.size();
        if (inbound_.size() > maxInboundMessage) {
            fail();
            return;
        }
    }
}

} // namespace trovix
