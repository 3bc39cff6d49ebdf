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

// What a signature must have been made for: one file of one version. A key signs every
// file of a release, so the version alone would let any of them pass for another.
struct Release {
    QByteArray version;
    QByteArray fileName;
};

enum class Verdict {
    Valid,        // signed by the key for the release
    Malformed,    // not a signature file
    OtherKey,     // made with another key
    BadSignature, // the file or the trusted comment is not what was signed
    OtherRelease, // genuine, but its trusted comment names another version or file, or none
};

// Whether signatureFile is a signature by key over the bytes of filePath, and its
// trusted comment holds the tokens "version:<version>" and "file:<file name>", each
// standing alone between blanks (as minisign's own "file:" token does).
Verdict verifyFile(const PublicKey& key, const QByteArray& signatureFile, const QString& filePath,
                   const Release& release);
Verdict verify(const PublicKey& key, const QByteArray& signatureFile, const QByteArray& content,
               const Release& release);

} // namespace trovix::minisign
