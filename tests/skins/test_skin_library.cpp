#include "TempProgramFolder.h"
#include "WriteFile.h"
#include "skins/SkinLibrary.h"

#include <QApplication>
#include <QDir>
#include <QtTest>

using namespace trovix;

class SkinLibraryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        qApp->setStyleSheet(QString());
        folder_ = std::make_unique<TempProgramFolder>();
        QVERIFY(folder_->isValid());
        QVERIFY(QDir().mkpath(folder_->file(QStringLiteral("bin"))));
    }
    void attachAppliesTheProgramFoldersDefaultSkin()
    {
        QVERIFY(writeFile(folder_->file(QStringLiteral("skinh.she")),
                          "/* 默认 */ QPushButton { color: #123456; }"));
        SkinLibrary library(folder_->programFolder());
        library.SkinH_Attach();
        QCOMPARE(qApp->styleSheet(), QStringLiteral("/* 默认 */ QPushButton { color: #123456; }"));
    }
    void attachExTakesAWindowsStylePath()
    {
        QVERIFY(writeFile(folder_->file(QStringLiteral("bin/经典xp.she")), "QMenu { color: navy; }"));
        SkinLibrary library(folder_->programFolder());
        library.SkinH_AttachEx(folder_->path() + QStringLiteral("\\bin\\经典xp.she"), QString());
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QMenu { color: navy; }"));
    }
    void laterSkinReplacesTheEarlierOne()
    {
        QVERIFY(writeFile(folder_->file(QStringLiteral("bin/a.she")), "QMenu { color: navy; }"));
        QVERIFY(writeFile(folder_->file(QStringLiteral("bin/b.she")), "QMenu { color: maroon; }"));
        SkinLibrary library(folder_->programFolder());
        library.SkinH_AttachEx(folder_->path() + QStringLiteral("\\bin\\a.she"), QString());
        library.SkinH_AttachEx(folder_->path() + QStringLiteral("\\bin\\b.she"), QStringLiteral("ignored"));
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QMenu { color: maroon; }"));
    }
    void unusableFileChangesNothing_data()
    {
        QTest::addColumn<QString>("relativePath");

        QTest::newRow("missing file") << "\\bin\\missing.she";
        QTest::newRow("missing folder") << "\\nowhere\\skin.she";
        QTest::newRow("a folder, not a file") << "\\bin";
        QTest::newRow("not UTF-8 text") << "\\bin\\binary.she";
        QTest::newRow("no file named") << QString();
    }
    void unusableFileChangesNothing()
    {
        QFETCH(QString, relativePath);
        QVERIFY(writeFile(folder_->file(QStringLiteral("bin/good.she")), "QMenu { color: navy; }"));
        QVERIFY(writeFile(folder_->file(QStringLiteral("bin/binary.she")),
                          QByteArray("QMenu { color: \xff\xfe\x00 red; }", 24)));
        SkinLibrary library(folder_->programFolder());
        library.SkinH_AttachEx(folder_->path() + QStringLiteral("\\bin\\good.she"), QString());

        library.SkinH_AttachEx(relativePath.isEmpty() ? QString() : folder_->path() + relativePath,
                               QString());
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QMenu { color: navy; }"));
    }

private:
    std::unique_ptr<TempProgramFolder> folder_;
};

QTEST_MAIN(SkinLibraryTest)
#include "test_skin_library.moc"
