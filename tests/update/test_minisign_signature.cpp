#include "SigningKey.h"
#include "update/MinisignSignature.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using namespace trovix;
using minisign::Verdict;

Q_DECLARE_METATYPE(minisign::Verdict)

namespace {

const QByteArray Build = QByteArray("\x7f" + QByteArray("ELF a build of Trovix\n")).repeated(500);

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

        // Signed for the build and offered as version 1.3 unless a row says otherwise.
        const auto row = [](const char* name, const QByteArray& signature, Verdict verdict,
                            const QByteArray& content = Build, const QByteArray& version = "1.3") {
            QTest::newRow(name) << signature << content << version << verdict;
        };
        const QByteArray prehashed = key_.sign(Build, "version:1.3 file:Trovix");
        const QByteArray legacy = key_.sign(Build, "version:1.3 file:Trovix", true);
        row("prehashed", prehashed, Verdict::Valid);
        row("legacy", legacy, Verdict::Valid);
        row("empty file", key_.sign({}, "version:1.3 file:Trovix"), Verdict::Valid, QByteArray());
        row("CR LF line ends", QByteArray(prehashed).replace("\n", "\r\n"), Verdict::Valid);
        row("token among others", key_.sign(Build, "timestamp:1765280000\tfile:Trovix version:1.3 hashed"),
            Verdict::Valid);

        row("other version", prehashed, Verdict::OtherRelease, Build, "1.2");
        row("offered version longer", prehashed, Verdict::OtherRelease, Build, "1.30");
        row("signed version longer", key_.sign(Build, "version:1.30 file:Trovix"), Verdict::OtherRelease);
        row("token inside a word", key_.sign(Build, "myversion:1.3 file:Trovix"), Verdict::OtherRelease);
        row("token in other case", key_.sign(Build, "Version:1.3 file:Trovix"), Verdict::OtherRelease);
        row("minisign's own comment", key_.sign(Build, "timestamp:1765280000\tfile:Trovix\thashed"),
            Verdict::OtherRelease);
        row("file token missing", key_.sign(Build, "version:1.3"), Verdict::OtherRelease);
        row("signed for another file", key_.sign(Build, "version:1.3 file:update"), Verdict::OtherRelease);
        row("file name longer", key_.sign(Build, "version:1.3 file:Trovix.tar.gz"), Verdict::OtherRelease);

        row("other key", otherKey_.sign(Build, "version:1.3 file:Trovix"), Verdict::OtherKey);
        row("other key under this key's id",
            withSignatureLine(otherKey_.sign(Build, "version:1.3 file:Trovix"),
                              [&](QByteArray& line) {
                                  line.replace(2, 8, QByteArray::fromBase64(key_.publicKeyLine()).mid(2, 8));
                              }),
            Verdict::BadSignature);
        row("other content", prehashed, Verdict::BadSignature, Build + "!");
        row("other content, legacy", legacy, Verdict::BadSignature, QByteArray(Build).replace(100, 1, "?"));
        row("prehashed taken for legacy",
            withSignatureLine(prehashed, [](QByteArray& line) { line.replace(0, 2, "Ed"); }),
            Verdict::BadSignature);
        row("trusted comment rewritten",
            QByteArray(key_.sign(Build, "version:1.2 file:Trovix"))
                .replace("version:1.2", "version:1.3 file:Trovix"),
            Verdict::BadSignature);
        QList<QByteArray> spliced = prehashed.split('\n');
        spliced[2] = legacy.split('\n')[2];
        spliced[3] = legacy.split('\n')[3];
        row("comment of another signature", spliced.join('\n'), Verdict::BadSignature);

        row("empty", QByteArray(), Verdict::Malformed);
        row("web page", "<html><body>Sign in</body></html>\n", Verdict::Malformed);
        row("last line missing", prehashed.left(prehashed.lastIndexOf('\n', prehashed.size() - 2)),
            Verdict::Malformed);
        row("signature not base64",
            QByteArray(prehashed).replace(prehashed.split('\n')[1], "RUS*not*base64*"), Verdict::Malformed);
        row("unknown algorithm",
            withSignatureLine(prehashed, [](QByteArray& line) { line.replace(0, 2, "XX"); }),
            Verdict::Malformed);
        row("public key in place of a signature", "untrusted comment: key\n" + key_.publicKeyLine() + "\n",
            Verdict::Malformed);
    }
    void verdicts()
    {
        QFETCH(QByteArray, signature);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, version);
        QFETCH(Verdict, verdict);
        const auto key = minisign::PublicKey::fromBase64(key_.publicKeyLine());
        QVERIFY(key);

        QCOMPARE(minisign::verify(*key, signature, content, {version, "Trovix"}), verdict);

        QTemporaryDir dir;
        QFile file(dir.filePath(u"Trovix"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QCOMPARE(minisign::verifyFile(*key, signature, file.fileName(), {version, "Trovix"}), verdict);
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
        QCOMPARE(minisign::verifyFile(*key, key_.sign({}, "version:1.3 file:Trovix"),
                                      dir.filePath(u"missing"_s), {"1.3", "Trovix"}),
                 Verdict::BadSignature);
    }
};

QTEST_GUILESS_MAIN(MinisignSignatureTest)
#include "test_minisign_signature.moc"
