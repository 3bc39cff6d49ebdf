#include "update/Download.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace trovix {

namespace {

QString transferError(const QNetworkReply& reply, qint64 received)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    if (reply.error() != QNetworkReply::NoError)
        return reply.errorString();
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        return QStringLiteral("HTTP %1").arg(status.toInt());
    if (announced.isValid() && announced.toLongLong() != received)
        return QStringLiteral("%1 of %2 bytes received").arg(received).arg(announced.toLongLong());
    return {};
}

} // namespace

Download::Download(QNetworkAccessManager& network, const QUrl& from, QIODevice& sink, Limits limits,
                   QObject* parent)
    : QObject(parent), sink_(sink), limits_(limits)
{
    QNetworkRequest request(from);
    request.setTransferTimeout(int(limits_.stallTimeout.count()));
    // A cached copy could be an older build than the one the server offers now.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    reply_ = network.get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &Download::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &Download::onFinished);
}

Download::~Download()
{
    abort();
}

void Download::abort()
{
    if (!reply_)
        return;
    reply_->disconnect(this);
    reply_->abort();
    reply_->deleteLater();
    reply_ = nullptr;
}

void Download::onReadyRead()
{
    // A transfer that timed out is closed already.
    if (!error_.isEmpty() || !reply_->isOpen())
        return;
    const QByteArray chunk = reply_->readAll();
    received_ += chunk.size();
    if (received_ > limits_.maxBytes)
        error_ = QStringLiteral("more than %1 bytes").arg(limits_.maxBytes);
    else if (sink_.write(chunk) != chunk.size())
        error_ = sink_.errorString();
    if (!error_.isEmpty())
        reply_->abort();
}

void Download::onFinished()
{
    onReadyRead();
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->deleteLater();

    if (error_.isEmpty())
        error_ = transferError(*reply, received_);
    Q_EMIT finished(error_.isEmpty());
}

} // namespace trovix
