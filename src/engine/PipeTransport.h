#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace trovix {

// The browser's end of the DevTools pipe as messages: each a JSON text ended by a NUL
// byte, in both directions. Sends never block; what the pipe does not take at once waits
// here. An inbound message larger than maxInboundMessage closes the pipe, as do the end
// of the file and a write error: nothing good follows such a browser.
class PipeTransport final : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype maxInboundMessage = 100 * 1024 * 1024;

    // Takes both descriptors, and makes them non-blocking.
    PipeTransport(int readFd, int writeFd, QObject* parent = nullptr);
    ~PipeTransport() override;

    bool isOpen() const { return readFd_ >= 0; }
    void send(const QByteArray& message);
    // Closes both ends; closed() is not raised for it.
    void close();

Q_SIGNALS:
    void messageReceived(const QByteArray& message);
    void closed();

private:
    void readAvailable();
    void writePending();
    void fail();

    int readFd_ = -1;
    int writeFd_ = -1;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QByteArray inbound_;
    qsizetype scanned_ = 0;
    QByteArray outbound_;
};

} // namespace trovix
