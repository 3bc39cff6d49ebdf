#include "common/Twips.h"
#include "window/Module1.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QtTest>

#include <memory>

using namespace trovix;

class SizeLockTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { Module1::remove(); }

    void twipsRoundHalvesToEven_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<int>("pixels");

        QTest::newRow("750.5 down to even") << 9006 << 12.0 << 750;
        QTest::newRow("751.5 up to even") << 9018 << 12.0 << 752;
        QTest::newRow("designer width") << 8970 << 15.0 << 598;
        QTest::newRow("just under a half") << 9005 << 12.0 << 750;
        QTest::newRow("just over a half") << 9007 << 12.0 << 751;
        QTest::newRow("0.5 to zero") << 6 << 12.0 << 0;
        QTest::newRow("negative half to even") << -9006 << 12.0 << -750;
    }

    void twipsRoundHalvesToEven()
    {
        QFETCH(int, twips);
        QFETCH(double, twipsPerPixel);
        QFETCH(int, pixels);
        QCOMPARE(twipsToPixelsHalfEven(twips, twipsPerPixel), pixels);
    }

    void installLocksTheOuterSize()
    {
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("皮肤"));
        window.statusBar();
        window.resize(598, 540);
        const QSize before = window.frameGeometry().size();

        Module1::install(&window);

        QVERIFY(Module1::isInstalled());
        QCOMPARE(Module1::lockedSize(), before);
        QCOMPARE(window.size(), QSize(598, 540));
        QCOMPARE(window.minimumSize(), QSize(598, 540));
        QCOMPARE(window.maximumSize(), QSize(598, 540));
    }

    void lockedWindowRefusesResizes_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<bool>("shown");

        QTest::newRow("larger") << QSize(800, 700) << false;
        QTest::newRow("smaller") << QSize(200, 100) << false;
        QTest::newRow("wider, lower") << QSize(900, 50) << false;
        QTest::newRow("empty") << QSize(0, 0) << false;
        QTest::newRow("larger, shown") << QSize(600, 500) << true;
    }

    void lockedWindowRefusesResizes()
    {
        QFETCH(QSize, requested);
        QFETCH(bool, shown);
        QWidget window;
        window.resize(400, 300);
        Module1::install(&window);
        if (shown) {
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }

        window.resize(requested);
        QCoreApplication::processEvents();
        QCOMPARE(window.size(), QSize(400, 300));
        window.setGeometry(QRect(QPoint(10, 10), requested));
        QCOMPARE(window.size(), QSize(400, 300));
        if (shown) {
            // What the window manager is told to keep to.
            QCOMPARE(window.windowHandle()->minimumSize(), QSize(400, 300));
            QCOMPARE(window.windowHandle()->maximumSize(), QSize(400, 300));
        }
    }

    void secondInstallKeepsTheFirstSize()
    {
        QWidget first;
        first.resize(400, 300);
        QWidget second;
        second.resize(500, 200);
        Module1::install(&first);
        Module1::install(&second);
        Module1::install(&first);

        QCOMPARE(Module1::lockedSize(), QSize(400, 300));
        QCOMPARE(first.maximumSize(), QSize(400, 300));
        QCOMPARE(second.minimumSize(), QSize(0, 0));
        QCOMPARE(second.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    }

    void removeRestoresTheEarlierLimits_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::newRow("installed") << true;
        QTest::newRow("never installed") << false;
    }

    void removeRestoresTheEarlierLimits()
    {
        QFETCH(bool, installed);
        QWidget window;
        window.setMinimumSize(100, 50);
        window.setMaximumSize(900, 800);
        window.resize(400, 300);
        if (installed)
            Module1::install(&window);
        Module1::remove();

        QVERIFY(!Module1::isInstalled());
        QVERIFY(!Module1::lockedSize().isValid());
        QCOMPARE(window.minimumSize(), QSize(100, 50));
        QCOMPARE(window.maximumSize(), QSize(900, 800));
        window.resize(700, 600);
        QCOMPARE(window.size(), QSize(700, 600));
        Module1::remove();
        QCOMPARE(window.minimumSize(), QSize(100, 50));
    }

    void installAfterRemoveMeasuresAfresh()
    {
        QWidget window;
        window.resize(400, 300);
        Module1::install(&window);
        Module1::remove();
        window.resize(520, 350);
        Module1::install(&window);

        QCOMPARE(Module1::lockedSize(), QSize(520, 350));
        QCOMPARE(window.minimumSize(), QSize(520, 350));
    }

    void nullWindowIsNotLocked()
    {
        Module1::install(nullptr);
        QVERIFY(!Module1::isInstalled());
        QWidget window;
        window.resize(300, 200);
        Module1::install(&window);
        QCOMPARE(Module1::lockedSize(), QSize(300, 200));
    }

    void windowGoneBeforeRemove()
    {
        auto window = std::make_unique<QWidget>();
        window->resize(300, 200);
        Module1::install(window.get());
        window.reset();
        Module1::remove();
        QVERIFY(!Module1::isInstalled());
    }
};

QTEST_MAIN(SizeLockTest)
#include "test_size_lock.moc"
