#include "FileBytes.h"
#include "MemorySkinChoiceStore.h"
#include "MiddleColour.h"
#include "TempProgramFolder.h"
#include "skins/SkinLibrary.h"
#include "skins/SkinMenu.h"
#include "skins/SkinTable.h"
#include "tracking/TrackingPageDriver.h"
#include "window/Form1.h"
#include "window/Form2.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace trovix;

namespace {

QString skinText(const QString& relativeFile)
{
    return QString::fromUtf8(fileBytes(TempProgramFolder::builtProgramFolder().file(relativeFile)));
}

double averageLightness(const QImage& image)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            sum += image.pixelColor(x, y).lightnessF();
            ++count;
        }
    }
    return sum / count;
}

} // namespace

class SkinsOnWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        for (const SkinEntry& skin : skinTable())
            QVERIFY2(!skinText(skin.file).isEmpty(), qPrintable(skin.file));
        library_ = std::make_unique<SkinLibrary>(TempProgramFolder::builtProgramFolder());
        // The window takes the browser's view as its child.
        form1_ = std::make_unique<Form1>(new QWidget);
        form2_ = std::make_unique<Form2>();
        menu_ = std::make_unique<SkinMenu>(form1_->skinEntries(), *library_, store_,
                                           TempProgramFolder::builtProgramFolder());
        form1_->show();
        form2_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form1_.get()));
    }
    void init()
    {
        // A skin that Qt cannot read is dropped with a warning and leaves the windows bare.
        QTest::failOnWarning(
            QRegularExpression(QStringLiteral("style ?sheet|Unknown property|Could not parse"),
                               QRegularExpression::CaseInsensitiveOption));
    }
    void everySkin_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("file");
        for (const SkinEntry& skin : skinTable())
            QTest::newRow(qPrintable(skin.entryName)) << skin.entryName << skin.file;
    }
    void everySkin()
    {
        QFETCH(QString, entry);
        QFETCH(QString, file);
        QLineEdit* text2 = form1_->Text2;
        choose(QStringLiteral("moren"));
        setCodeBoxLocked(text2, false);
        choose(entry);

        // The entry applies its file, and the windows can be drawn with it.
        QCOMPARE(qApp->styleSheet(), skinText(file));
        form1_->grab();
        form2_->grab();

        // Labels keep the windows' colours.
        const QColor red(255, 0, 0);
        for (QLabel* label : {form1_->Label4, form1_->Label11, form1_->Label14})
            QCOMPARE(label->palette().color(QPalette::WindowText), red);
        QCOMPARE(form1_->Label6->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(form1_->Label7->palette().color(QPalette::WindowText), QColor(0, 192, 0));
        for (const char* name : {"Label5", "Label2", "Label9"}) {
            auto* label = form2_->findChild<QLabel*>(QLatin1String(name));
            QVERIFY(label);
            QCOMPARE(label->palette().color(QPalette::WindowText), red);
        }

        // The code box shows both states; changing skin while it is unlocked must not
        // bring back an earlier state.
        const QColor unlockedAfterChange = middleColour(text2);
        setCodeBoxLocked(text2, true);
        const QColor locked = middleColour(text2);
        setCodeBoxLocked(text2, false);
        const QColor unlocked = middleColour(text2);
        QCOMPARE(unlockedAfterChange, unlocked);
        QVERIFY2(locked.lightnessF() < unlocked.lightnessF(),
                 qPrintable(locked.name() + QLatin1String(" / ") + unlocked.name()));

        // A disabled Query looks disabled.
        QPushButton* query = form1_->Command5;
        query->setEnabled(false);
        const QImage disabled = query->grab().toImage();
        query->setEnabled(true);
        const QImage enabled = query->grab().toImage();
        query->setEnabled(false);
        QVERIFY(disabled != enabled);

        // Plain labels stand out from the window.
        const double window = averageLightness(form1_->grab().toImage());
        for (QLabel* label : {form1_->Label1, form1_->Label2, form1_->Label9}) {
            const double text = label->palette().color(QPalette::WindowText).lightnessF();
            QVERIFY2(qAbs(text - window) > 0.4, qPrintable(label->objectName()));
        }
    }
    void colourSetUnderASkinSurvivesTheNext()
    {
        choose(QStringLiteral("hskx"));
        QLabel* label = form1_->Label4;
        const QPalette before = label->palette();
        QPalette palette = before;
        palette.setColor(QPalette::WindowText, QColor(200, 0, 200));
        label->setPalette(palette);
        choose(QStringLiteral("jpjm"));
        const QColor kept = label->palette().color(QPalette::WindowText);
        label->setPalette(before);
        QCOMPARE(kept, QColor(200, 0, 200));
    }
    void darkSkinIsDarkAndWhiteSkinLight()
    {
        choose(QStringLiteral("hskx"));
        QVERIFY(averageLightness(form1_->grab().toImage()) < 0.3);
        choose(QStringLiteral("bsjy"));
        QVERIFY(averageLightness(form1_->grab().toImage()) > 0.85);
    }
    void everySkinLooksDifferent()
    {
        QList<QImage> looks;
        for (const SkinEntry& skin : skinTable()) {
            choose(skin.entryName);
            const QImage look = form1_->grab().toImage();
            for (const QImage& earlier : looks)
                QVERIFY2(look != earlier, qPrintable(skin.entryName));
            looks.append(look);
        }
    }

private:
    void choose(const QString& entry)
    {
        for (QAction* action : form1_->skinEntries()) {
            if (action->objectName() == entry)
                action->trigger();
        }
    }

    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<SkinLibrary> library_;
    MemorySkinChoiceStore store_;
    std::unique_ptr<SkinMenu> menu_;
};

QTEST_MAIN(SkinsOnWindowsTest)
#include "test_skins_on_windows.moc"
