#include "MiddleColour.h"

#include "common/SystemColours.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/PageTextBuffer.h"
#include "tracking/TrackingPageDriver.h"
#include "window/Form1.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

using trovix::Form1;

class Form1LayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void designerStates()
    {
        Form1 form(nullptr);
        QCOMPARE(form.windowTitle(), QStringLiteral("Trovix V1.2"));
        QVERIFY(!form.Command5->isEnabled());
        QCOMPARE(form.Command5->text(), QStringLiteral("查询"));
        QCOMPARE(form.Text3->text(), QStringLiteral("5"));
        QCOMPARE(form.Timer1->interval(), 5000);
        QVERIFY(!form.Timer1->isActive());
        QCOMPARE(form.Timer2->interval(), 1000);
        QVERIFY(form.Timer2->isActive());
        QVERIFY(form.Image1->isHidden());
        QVERIFY(form.Command8->isHidden());
        QVERIFY(form.RichTextBox2->isHidden());
        QVERIFY(form.Label4->text().isEmpty());
        QVERIFY(form.Label6->text().isEmpty());
        QCOMPARE(form.Label14->text(), QStringLiteral("无验证码"));
        for (QRadioButton* option : form.options())
            QVERIFY(!option->isChecked());
    }

    void controlsCarryTheirDesignerNames()
    {
        Form1 form(nullptr);
        const char* names[] = {"Frame1",      "Frame2",     "Frame3",       "Frame4",       "Frame5",
                               "Frame6",      "Text1",      "Text2",        "Text3",        "Command1",
                               "Command2",    "Command3",   "Command4",     "Command5",     "Command6",
                               "Command7",    "Command8",   "RichTextBox2", "RichTextBox3", "DataGrid1",
                               "WebBrowser1", "StatusBar1", "Label13"};
        for (const char* name : names)
            QVERIFY2(form.findChild<QWidget*>(QLatin1String(name)), name);
        for (int i = 1; i <= 15; ++i)
            QCOMPARE(form.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(i)),
                     form.options().at(i - 1));
        QCOMPARE(form.findChild<QTimer*>(QStringLiteral("Timer1")), form.Timer1);
    }

    void menuBarHasThreeEntriesAndSevenSkins()
    {
        Form1 form(nullptr);
        const QList<QAction*> top = form.menuBar()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top.at(0)->text(), QStringLiteral("皮肤"));
        QCOMPARE(top.at(1), form.gy);
        QCOMPARE(top.at(2), form.jcgx);
        QVERIFY(!form.gy->menu());
        QVERIFY(!form.jcgx->menu());
        const QStringList captions{u"默认皮肤"_s, u"经典QQ"_s,   u"经典XP"_s,  u"淡雅流光"_s,
                                   u"简谱积木"_s, u"黑色酷炫"_s, u"白色简约"_s};
        const QStringList names{u"moren"_s, u"jdqq"_s, u"jdxp"_s, u"dylg"_s, u"jpjm"_s, u"hskx"_s, u"bsjy"_s};
        const QList<QAction*> skins = form.pf->actions();
        QCOMPARE(skins, form.skinEntries());
        QCOMPARE(skins, (QList<QAction*>{form.moren, form.jdqq, form.jdxp, form.dylg, form.jpjm, form.hskx,
                                         form.bsjy}));
        for (int i = 0; i < skins.size(); ++i) {
            QCOMPARE(skins.at(i)->text(), captions.at(i));
            QCOMPARE(skins.at(i)->objectName(), names.at(i));
            QVERIFY(!skins.at(i)->isChecked());
        }
    }

    void browserStaysOutsideTheClientArea()
    {
        auto* view = new QWidget;
        Form1 form(view);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.WebBrowser1, view);
        QVERIFY(view->isVisible());
        const QRect client(QPoint(0, 0), form.centralWidget()->size());
        QVERIFY(!client.intersects(view->geometry()));
        QCOMPARE(form.centralWidget()->width(), Form1::clientSize().width());
        QCOMPARE(form.centralWidget()->height() + form.statusBar()->height(), Form1::clientSize().height());
        QCOMPARE(Form1::clientSize(), QSize(598, 493));
    }

    void everyControlLiesInsideItsFrame()
    {
        Form1 form(nullptr);
        const auto frames = form.findChildren<QGroupBox*>();
        for (QGroupBox* frame : frames) {
            for (QWidget* child : frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (child->isHidden())
                    continue;
                QVERIFY2(frame->rect().contains(child->geometry()), qPrintable(child->objectName()));
            }
            QVERIFY2(QRect(QPoint(), form.centralWidget()->size()).contains(frame->geometry()) ||
                         frame->parentWidget() != form.centralWidget(),
                     qPrintable(frame->objectName()));
        }
    }

    void tabOrderFollowsTheDesign()
    {
        auto* view = new QWidget;
        view->setFocusPolicy(Qt::StrongFocus);
        Form1 form(view);
        const QList<QWidget*> expected{
            form.Option1,  form.Option2,     form.Option3,      form.Option4,  form.Option5,  form.Option6,
            form.Option7,  form.Option8,     form.Option9,      form.Text1,    form.Option10, form.Option11,
            form.Text2,    form.Command2,    form.Command3,     form.Command4, form.Command5, form.Command6,
            form.Command1, form.WebBrowser1, form.RichTextBox3, form.Text3,    form.Command7, form.DataGrid1,
            form.Option12, form.Option13,    form.Option14,     form.Option15};
        // Inner widgets (viewports) may stand between two controls in the chain.
        QList<QWidget*> chain;
        QWidget* widget = form.Option1;
        do {
            if (expected.contains(widget))
                chain.append(widget);
            widget = widget->nextInFocusChain();
        } while (widget != form.Option1 && chain.size() < expected.size());
        QCOMPARE(chain, expected);
    }

    void textBoxesAreLabelledByTheirPrompts()
    {
        Form1 form(nullptr);
        QCOMPARE(form.Label1->buddy(), form.Text1);
        QCOMPARE(form.Label9->buddy(), form.Text3);
        for (QWidget* box :
             std::initializer_list<QWidget*>{form.Text1, form.Text2, form.Text3, form.RichTextBox3})
            QVERIFY2(!box->accessibleName().isEmpty(), qPrintable(box->objectName()));
    }

    void informationStripShowsWholeTexts_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("courier");
        const QStringList numbers{QStringLiteral("123456789012345678901234567890"),
                                  QStringLiteral("EA12345678901234567890123456CN"), QStringLiteral("1"),
                                  QStringLiteral("12345678901234567890123456789012"),
                                  QStringLiteral("EA12345678901234567890123456789012345CN")};
        for (const trovix::Courier& courier : trovix::couriers()) {
            for (const QString& number : numbers)
                QTest::addRow("%s, %d characters", qPrintable(courier.displayName), int(number.size()))
                    << number << courier.displayName;
        }
    }

    void informationStripShowsWholeTexts()
    {
        QFETCH(QString, number);
        QFETCH(QString, courier);
        Form1 form(nullptr);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.Label4->setText(number);
        form.Label6->setText(courier);
        if (QLayout* strip = form.Frame3->layout())
            strip->activate();

        QLabel* const parts[] = {form.Label3, form.Label4, form.Label5, form.Label6};
        for (QLabel* part : parts) {
            QVERIFY2(part->width() >= part->sizeHint().width(), qPrintable(part->objectName()));
            QVERIFY2(part->height() >= QFontMetrics(part->font()).height(), qPrintable(part->objectName()));
            QVERIFY2(form.Frame3->contentsRect().contains(part->geometry()), qPrintable(part->objectName()));
        }
        for (int i = 1; i < 4; ++i)
            QVERIFY(parts[i - 1]->geometry().right() < parts[i]->geometry().left());
    }

    void codeBoxHasItsDesignerColoursWithoutASkin()
    {
        QVERIFY(qApp->styleSheet().isEmpty());
        Form1 form(nullptr);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QColor workspace = trovix::colours::systemColour(trovix::colours::ApplicationWorkspace);
        QCOMPARE(middleColour(form.Text2), workspace);
        trovix::setCodeBoxLocked(form.Text2, false);
        QCOMPARE(middleColour(form.Text2), trovix::colours::systemColour(trovix::colours::InactiveBorder));
        trovix::setCodeBoxLocked(form.Text2, true);
        QCOMPARE(middleColour(form.Text2), workspace);
    }

    void statusBarShowsCreditsAndVersion()
    {
        Form1 form(nullptr);
        const auto panels = form.StatusBar1->findChildren<QLabel*>();
        QStringList texts;
        for (QLabel* panel : panels)
            texts << panel->text();
        QVERIFY(texts.contains(QStringLiteral("版本号：1.2")));
        QVERIFY(std::any_of(texts.begin(), texts.end(),
                            [](const QString& t) { return t.startsWith(u"制作者："_s); }));
    }
};

QTEST_MAIN(Form1LayoutTest)
#include "test_form1_layout.moc"
