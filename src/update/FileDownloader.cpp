#include "update/FileDownloader.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace trovix {

FileDownloader::FileDownloader(std::chrono::milliseconds stallTimeout) : stallTimeout_(stallTimeout) {}

QString FileDownloader::scratchName(const QString& target)
{
    return target + QStringLiteral(".download");
}

FileDownloader::Result FileDownloader::download(const QUrl& from, const QString& target,
                                                QFileDevice::Permissions permissions)
{
    const QString scratchPath = scratchName(target);
    QFile scratch(scratchPath);
    if (!scratch.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error_ = scratch.errorString();
        return Result::TransferFailed;
    }

    QNetworkRequest request(from);
    request.setTransferTimeout(int(stallTimeout_.count()));
    QNetworkReply* reply = manager_.get(request);
    bool written = true;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        const QByteArray chunk = reply->readAll();
        written = written && scratch.write(chunk) == chunk.size();
    });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    const QByteArray rest = reply->readAll();
    written = written && scratch.write(rest) == rest.size() && scratch.flush();
    scratch.close();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (reply->error() != QNetworkReply::NoError)
        error_ = reply->errorString();
    else if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        error_ = QStringLiteral("HTTP %1").arg(status.toInt());
    else if (announced.isValid() && announced.toLongLong() != scratch.size())
        error_ = QStringLiteral("%1 of %2 bytes received").arg(scratch.size()).arg(announced.toLongLong());
    else if (!written)
        error_ = scratch.errorString();
    else
        error_.clear();
    delete reply;

    if (!error_.isEmpty() || (permissions.toInt() != 0 && !scratch.setPermissions(permissions))) {
        if (error_.isEmpty())
            error_ = scratch.errorString();
        scratch.remove();
        return Result::TransferFailed;
    }
    if (std::rename(QFile::encodeName(scratchPath).constData(), QFile::encodeName(target).constData()) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        scratch.remove();
        return Result::RenameFailed;
    }
    return Result::Done;
}

} // namespace trovix
