#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// A minisign key pair made for one test by the real minisign tool; the secret key
// lives only in a temporary folder.
class SigningKey {
public:
    SigningKey();

    bool isValid() const { return !publicKeyLine_.isEmpty(); }
    // The base64 line of the public key file, as the build carries it.
    QByteArray publicKeyLine() const { return publicKeyLine_; }
    // The secret key file, as a publisher holds it (no password).
    QString secretKeyFile() const { return dir_.filePath(QStringLiteral("key.sec")); }

    // The signature file minisign writes for content: prehashed, or legacy when asked.
    QByteArray sign(const QByteArray& content, const QByteArray& trustedComment, bool legacy = false) const;

private:
    QTemporaryDir dir_;
    QByteArray publicKeyLine_;
};
