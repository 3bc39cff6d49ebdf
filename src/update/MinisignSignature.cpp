#include "update/MinisignSignature.h"

#include <QFile>
#include <QList>

#include <sodium.h>

namespace trovix::minisign {

namespace {

constexpr int AlgorithmSize = 2;
constexpr int KeyIdSize = 8;
const QByteArray LegacyAlgorithm = "Ed";
const QByteArray PrehashedAlgorithm = "ED";
const QByteArray UntrustedPrefix = "untrusted comment: ";
const QByteArray TrustedPrefix = "trusted comment: ";

std::optional<QByteArray> decodeBase64(const QByteArray& text, int expectedSize)
{
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != expectedSize)
        return std::nullopt;
    return decoded.decoded;
}

bool initialised()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

struct Signature {
    QByteArray algorithm;
    QByteArray keyId;
    QByteArray signature;
    QByteArray trustedComment;
    QByteArray globalSignature;
};

// Line ends as minisign strips them: LF, optionally after CR.
QList<QByteArray> lines(const QByteArray& file)
{
    QList<QByteArray> result = file.split('\n');
    for (QByteArray& line : result) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    while (!result.isEmpty() && result.constLast().isEmpty())
        result.removeLast();
    return result;
}

std::optional<Signature> parse(const QByteArray& file)
{
    const QList<QByteArray> parts = lines(file);
    if (parts.size() != 4 || !parts.at(0).startsWith(UntrustedPrefix) ||
        !parts.at(2).startsWith(TrustedPrefix))
        return std::nullopt;
    const auto body = decodeBase64(parts.at(1), AlgorithmSize + KeyIdSize + crypto_sign_BYTES);
    const auto global = decodeBase64(parts.at(3), crypto_sign_BYTES);
    if (!body || !global)
        return std::nullopt;
    Signature parsed;
    parsed.algorithm = body->left(AlgorithmSize);
    if (parsed.algorithm != LegacyAlgorithm && parsed.algorithm != PrehashedAlgorithm)
        return std::nullopt;
    parsed.keyId = body->mid(AlgorithmSize, KeyIdSize);
    parsed.signature = body->mid(AlgorithmSize + KeyIdSize);
    parsed.trustedComment = parts.at(2).mid(TrustedPrefix.size());
    parsed.globalSignature = *global;
    return parsed;
}

bool signatureHolds(const QByteArray& signature, const uchar* message, qint64 size, const QByteArray& key)
{
    static const uchar nothing = 0;
    return crypto_sign_verify_detached(reinterpret_cast<const uchar*>(signature.constData()),
                                       size > 0 ? message : &nothing, quint64(size),
                                       reinterpret_cast<const uchar*>(key.constData())) == 0;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool holdsToken(const QByteArray& comment, const QByteArray& token)
{
    for (qsizetype at = comment.indexOf(token); at >= 0; at = comment.indexOf(token, at + 1)) {
        const qsizetype end = at + token.size();
        if ((at == 0 || isBlank(comment.at(at - 1))) && (end == comment.size() || isBlank(comment.at(end))))
            return true;
    }
    return false;
}

Verdict verifyBytes(const PublicKey& key, const QByteArray& signatureFile, const uchar* content, qint64 size,
                    const Release& release)
{
    if (!initialised())
        return Verdict::BadSignature;
    const std::optional<Signature> signature = parse(signatureFile);
    if (!signature)
        return Verdict::Malformed;
    if (signature->keyId != key.keyId)
        return Verdict::OtherKey;

    bool fileSigned = false;
    if (signature->algorithm == PrehashedAlgorithm) {
        uchar hash[crypto_generichash_BYTES_MAX];
        crypto_generichash_state state;
        crypto_generichash_init(&state, nullptr, 0, sizeof hash);
        if (size > 0)
            crypto_generichash_update(&state, content, quint64(size));
        crypto_generichash_final(&state, hash, sizeof hash);
        fileSigned = signatureHolds(signature->signature, hash, sizeof hash, key.key);
    } else {
        fileSigned = signatureHolds(signature->signature, content, size, key.key);
    }
    const QByteArray global = signature->signature + signature->trustedComment;
    if (!fileSigned ||
        !signatureHolds(signature->globalSignature, reinterpret_cast<const uchar*>(global.constData()),
                        global.size(), key.key))
        return Verdict::BadSignature;
    return holdsToken(signature->trustedComment, "version:" + release.version) &&
                   holdsToken(signature->trustedComment, "file:" + release.fileName)
               ? Verdict::Valid
               : Verdict::OtherRelease;
}

} // namespace

std::optional<PublicKey> PublicKey::fromBase64(const QByteArray& line)
{
    const auto decoded = decodeBase64(line.trimmed(), AlgorithmSize + KeyIdSize + crypto_sign_PUBLICKEYBYTES);
    if (!decoded || decoded->left(AlgorithmSize) != LegacyAlgorithm)
        return std::nullopt;
    return PublicKey{decoded->mid(AlgorithmSize, KeyIdSize), decoded->mid(AlgorithmSize + KeyIdSize)};
}

Verdict verify(const PublicKey& key, const QByteArray& signatureFile, const QByteArray& content,
               const Release& release)
{
    return verifyBytes(key, signatureFile, reinterpret_cast<const uchar*>(content.constData()),
                       content.size(), release);
}

Verdict verifyFile(const PublicKey& key, const QByteArray& signatureFile, const QString& filePath,
                   const Release& release)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return Verdict::BadSignature;
    if (file.size() == 0)
        return verifyBytes(key, signatureFile, nullptr, 0, release);
    const uchar* mapped = file.map(0, file.size());
    if (!mapped)
        return Verdict::BadSignature;
    return verifyBytes(key, signatureFile, mapped, file.size(), release);
}

} // namespace trovix::minisign
