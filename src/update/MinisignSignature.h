#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Detached signatures in the format of the minisign tool (Ed25519), checked with
// libsodium. Both forms minisign writes are accepted: the prehashed one ("ED", the
// signature covers the BLAKE2b-512 hash of the file) and the legacy one ("Ed", it
// covers the file itself). The trusted comment is signed too, together with the
// file's signature, so it cannot be swapped for another.
namespace trovix::minisign {

struct PublicKey {
    QByteArray keyId; // 8 bytes
    QByteArray key;   // 32 bytes

    // The base64 line of a public key file written by "minisign -G" (its second
    // line), blanks around it ignored; nothing for anything else.
    static std::optional<PublicKey> fromBase64(const QByteArray& line);
};

enum class Verdict {
    Valid,        // signed by the key, trusted comment holds version:<version>
    Malformed,    // not a signature file
    OtherKey,     // made with another key
    BadSignature, // the file or the trusted comment is not what was signed
    OtherVersion, // genuine, but its trusted comment names another version
};

// Whether signatureFile is a signature by key over the bytes of filePath, and its
// trusted comment holds the token "version:" + version, standing alone between blanks.
Verdict verifyFile(const PublicKey& key, const QByteArray& signatureFile, const QString& filePath,
                   const QByteArray& version);
Verdict verify(const PublicKey& key, const QByteArray& signatureFile, const QByteArray& content,
               const QByteArray& version);

} // namespace trovix::minisign
