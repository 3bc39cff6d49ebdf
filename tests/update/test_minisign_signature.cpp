#include "SigningKey.h"
#include "update/MinisignSignature.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using namespace trovix;
using minisign::Verdict;

Q_DECLARE_METATYPE(minisign::Verdict)

namespace {

const QByteArray Build = QByteArray("\x7f"
                                    "ELF a build of Trovix\n",
                                    22)
                             .repeated(500);

// The signature file with its second line (algorithm, key id, signature) decoded,
// changed and encoded again.
QByteArray withSignatureLine(const QByteArray& file, const std::function<void(QByteArray&)>& change)
{
    QList<QByteArray> lines = file.split('\n');
    QByteArray decoded = QByteArray::fromBase64(lines[1]);
    change(decoded);
    lines[1] = decoded.toBase64();
    return lines.join('\n');
}

} // namespace

class MinisignSignatureTest : public QObject {
    Q_OBJECT

private:
    SigningKey key_;
    SigningKey otherKey_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(key_.isValid() && otherKey_.isValid(), "minisign could not make the test keys");
    }

    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<Verdict>("verdict");

        const QByteArray prehashed = key_.sign(Build, "version:1.3");
        const QByteArray legacy = key_.sign(Build, "version:1.3", true);
        QTest::newRow("prehashed") << prehashed << Build << QByteArray("1.3") << Verdict::Valid;
        QTest::newRow("legacy") << legacy << Build << QByteArray("1.3") << Verdict::Valid;
        QTest::newRow("empty file") << key_.sign({}, "version:1.3") << QByteArray() << QByteArray("1.3")
                                    << Verdict::Valid;
        QTest::newRow("CR LF line ends")
            << QByteArray(prehashed).replace("\n", "\r\n") << Build << QByteArray("1.3") << Verdict::Valid;
        QTest::newRow("token among others")
            << key_.sign(Build, "timestamp:1765280000\tfile:Trovix version:1.3 hashed") << Build
            << QByteArray("1.3") << Verdict::Valid;

        QTest::newRow("other version") << prehashed << Build << QByteArray("1.2") << Verdict::OtherVersion;
        QTest::newRow("offered version longer")
            << prehashed << Build << QByteArray("1.30") << Verdict::OtherVersion;
        QTest::newRow("signed version longer")
            << key_.sign(Build, "version:1.30") << Build << QByteArray("1.3") << Verdict::OtherVersion;
        QTest::newRow("token inside a word")
            << key_.sign(Build, "myversion:1.3") << Build << QByteArray("1.3") << Verdict::OtherVersion;
        QTest::newRow("token in other case")
            << key_.sign(Build, "Version:1.3") << Build << QByteArray("1.3") << Verdict::OtherVersion;
        QTest::newRow("minisign's own comment")
            << key_.sign(Build, "timestamp:1765280000\tfile:Trovix\thashed") << Build << QByteArray("1.3")
            << Verdict::OtherVersion;

        QTest::newRow("other key") << otherKey_.sign(Build, "version:1.3") << Build << QByteArray("1.3")
                                   << Verdict::OtherKey;
        QTest::newRow("other key under this key's id")
            << withSignatureLine(otherKey_.sign(Build, "version:1.3"),
                                 [&](QByteArray& line) {
                                     line.replace(2, 8,
                                                  QByteArray::fromBase64(key_.publicKeyLine()).mid(2, 8));
                                 })
            << Build << QByteArray("1.3") << Verdict::BadSignature;
        QTest::newRow("other content")
            << prehashed << Build + "!" << QByteArray("1.3") << Verdict::BadSignature;
        QTest::newRow("other content, legacy")
            << legacy << QByteArray(Build).replace(100, 1, "?") << QByteArray("1.3") << Verdict::BadSignature;
        QTest::newRow("prehashed taken for legacy")
            << withSignatureLine(prehashed, [](QByteArray& line) { line.replace(0, 2, "Ed"); }) << Build
            << QByteArray("1.3") << Verdict::BadSignature;
        QTest::newRow("trusted comment rewritten")
            << QByteArray(key_.sign(Build, "version:1.2")).replace("version:1.2", "version:1.3") << Build
            << QByteArray("1.3") << Verdict::BadSignature;
        QList<QByteArray> spliced = prehashed.split('\n');
        spliced[2] = legacy.split('\n')[2];
        spliced[3] = legacy.split('\n')[3];
        QTest::newRow("comment of another signature")
            << spliced.join('\n') << Build << QByteArray("1.3") << Verdict::BadSignature;

        QTest::newRow("empty") << QByteArray() << Build << QByteArray("1.3") << Verdict::Malformed;
        QTest::newRow("web page") << QByteArray("<html><body>Sign in</body></html>\n") << Build
                                  << QByteArray("1.3") << Verdict::Malformed;
        QTest::newRow("last line missing")
            << prehashed.left(prehashed.lastIndexOf('\n', prehashed.size() - 2)) << Build << QByteArray("1.3")
            << Verdict::Malformed;
        QTest::newRow("signature not base64")
            << QByteArray(prehashed).replace(prehashed.split('\n')[1], "RUS*not*base64*") << Build
            << QByteArray("1.3") << Verdict::Malformed;
        QTest::newRow("unknown algorithm")
            << withSignatureLine(prehashed, [](QByteArray& line) { line.replace(0, 2, "XX"); }) << Build
            << QByteArray("1.3") << Verdict::Malformed;
        QTest::newRow("public key in place of a signature")
            << "untrusted comment: key\n" + key_.publicKeyLine() + "\n"
            << Build << QByteArray("1.3") << Verdict::Malformed;
    }
    void verdicts()
    {
        QFETCH(QByteArray, signature);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, version);
        QFETCH(Verdict, verdict);
        const auto key = minisign::PublicKey::fromBase64(key_.publicKeyLine());
        QVERIFY(key);

        QCOMPARE(minisign::verify(*key, signature, content, version), verdict);

        QTemporaryDir dir;
        QFile file(dir.filePath(u"Trovix"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QCOMPARE(minisign::verifyFile(*key, signature, file.fileName(), version), verdict);
    }

    void publicKeys_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("as written") << key_.publicKeyLine() << true;
        QTest::newRow("blanks around") << " " + key_.publicKeyLine() + "\r\n" << true;
        QTest::newRow("whole key file")
            << "untrusted comment: minisign public key\n" + key_.publicKeyLine() << false;
        QTest::newRow("cut short") << key_.publicKeyLine().chopped(4) << false;
        QTest::newRow("not base64") << QByteArray("RWS*key*") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("other algorithm")
            << QByteArray(QByteArray("XX") + QByteArray::fromBase64(key_.publicKeyLine()).mid(2)).toBase64()
            << false;
    }
    void publicKeys()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, accepted);
        QCOMPARE(minisign::PublicKey::fromBase64(line).has_value(), accepted);
    }

    void aFileThatCannotBeReadIsNotValid()
    {
        const auto key = minisign::PublicKey::fromBase64(key_.publicKeyLine());
        QVERIFY(key);
        QTemporaryDir dir;
        QCOMPARE(minisign::verifyFile(*key, key_.sign({}, "version:1.3"), dir.filePath(u"missing"_s), "1.3"),
                 Verdict::BadSignature);
    }
};

QTEST_GUILESS_MAIN(MinisignSignatureTest)
#include "test_minisign_signature.moc"
