#pragma once

#include <QFileDevice>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

#include <chrono>

namespace trovix {

// Downloads one address to one file and waits for it in a local event loop, the way
// the updater's steps expect a download to have finished when it returns. The body
// goes to a scratch file beside the target, and only a complete transfer (no network
// error, an HTTP success status, every byte the server announced) replaces the target,
// in one rename; anything else leaves the target as it was.
class FileDownloader {
public:
    enum class Result { Done, TransferFailed, RenameFailed };

    // A transfer that receives nothing for stallTimeout counts as failed.
    explicit FileDownloader(std::chrono::milliseconds stallTimeout = std::chrono::seconds(30));

    // permissions, when given, are set on the file before it is moved into place.
    Result download(const QUrl& from, const QString& target, QFileDevice::Permissions permissions = {});

    // What went wrong in the last download that did not succeed.
    QString errorString() const { return error_; }

    static QString scratchName(const QString& target);

private:
    QNetworkAccessManager manager_;
    std::chrono::milliseconds stallTimeout_;
    QString error_;
};

} // namespace trovix
