#include "FreePort.h"
#include "SpinUntil.h"
#include "TempProgramFolder.h"
#include "X11Desktop.h"

#include "common/Configuration.h"
#include "common/Prompter.h"
#include "skins/SkinLibrary.h"
#include "skins/SkinTable.h"
#include "tracking/CourierCatalogue.h"
#include "window/AboutWindow.h"
#include "window/ClickableLabel.h"
#include "window/DesktopProgram.h"
#include "window/Form1.h"
#include "window/Form2.h"
#include "window/Module1.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

namespace {

// A window manager on a machine busy with other tests can take seconds to map a window.
constexpr int exposureTimeoutMs = 30000;

// What xprop, a client of the X server like any desktop panel, reads as the window's
// caption.
QString netWmName(WId window)
{
    QProcess xprop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    xprop.setProcessEnvironment(environment);
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                          QStringLiteral("-notype"), QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000) || xprop.exitCode() != 0)
        return {};
    static const QRegularExpression value(QStringLiteral("^_NET_WM_NAME = \"(.*)\"\\s*$"));
    const QRegularExpressionMatch match = value.match(QString::fromUtf8(xprop.readAllStandardOutput()));
    if (!match.hasMatch())
        return {};
    QString name = match.captured(1);
    name.replace(QStringLiteral("\\\""), QStringLiteral("\""))
        .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    return name;
}

QList<WId> managedWindows()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
    if (!xprop.waitForFinished(10000))
        return {};
    QList<WId> windows;
    static const QRegularExpression id(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = id.globalMatch(QString::fromLatin1(xprop.readAllStandardOutput())); it.hasNext();)
        windows.append(it.next().captured().toULongLong(nullptr, 16));
    return windows;
}

// The label shows its text whole: its font's full height and width, inside its frame.
void verifyShownWhole(const QLabel* label, const QRect& frame)
{
    const QFontMetrics metrics(label->font());
    const QString text = label->text();
    QVERIFY2(label->height() >= metrics.height(), qPrintable(label->objectName()));
    QVERIFY2(label->width() >= metrics.boundingRect(QRect(), Qt::AlignLeft, text).width(),
             qPrintable(label->objectName() + QLatin1Char(' ') + text));
    QVERIFY2(frame.contains(label->geometry()), qPrintable(label->objectName() + QLatin1Char(' ') + text));
}

// The caption a window shows once the X server has it.
QString captionOf(QWidget* window)
{
    QString name;
    spinUntil([&] { return !(name = netWmName(window->winId())).isEmpty(); }, 10000);
    return name;
}

// The caption of the message box that `open` shows; the box is answered with `answer`.
QString captionOfBoxShownBy(const std::function<void()>& open, QMessageBox::StandardButton answer)
{
    QString seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll.stop();
        seen = captionOf(box);
        box->done(answer);
    });
    poll.start(50);
    open();
    return seen;
}

} // namespace

// The captions on a real X11 desktop: the xcb platform, a window manager, and the
// _NET_WM_NAME of each window as the X server holds it.
class CaptionsX11Test : public QObject {
    Q_OBJECT
public:
    explicit CaptionsX11Test(const X11Desktop& desktop) : desktop_(desktop) {}

private Q_SLOTS:
    void initTestCase()
    {
        if (!desktop_.running())
            QSKIP(qPrintable(QStringLiteral("no X server: ") + desktop_.error()));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(desktop_.waitForWindowManager(), "openbox does not manage the desktop");
        program_ = std::make_unique<trovix::DesktopProgram>();
    }

    void cleanupTestCase()
    {
        program_.reset();
        trovix::Module1::remove();
    }

    void cleanup() { qApp->setStyleSheet(QString()); }

    void mainWindowAndAboutWindow()
    {
        trovix::Form1* form = program_->controllers().form();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form, exposureTimeoutMs));
        QCOMPARE(captionOf(form), QStringLiteral("Trovix V1.2"));

        form->gy->trigger();
        trovix::Form2* about = program_->controllers().about().window();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about, exposureTimeoutMs));
        QCOMPARE(captionOf(about), QStringLiteral("关于"));
        about->close();
    }

    void everyTextShownWhole_data()
    {
        QTest::addColumn<QString>("skinFile");
        QTest::newRow("no skin") << QString();
        for (const trovix::SkinEntry& skin : trovix::skinTable())
            QTest::newRow(qPrintable(skin.caption)) << skin.file;
    }

    void everyTextShownWhole()
    {
        QFETCH(QString, skinFile);
        qApp->setStyleSheet(QString());
        if (!skinFile.isEmpty()) {
            const trovix::ProgramFolder folder = TempProgramFolder::builtProgramFolder();
            trovix::SkinLibrary(folder).SkinH_AttachEx(folder.joined(skinFile), QString());
            QVERIFY(!qApp->styleSheet().isEmpty());
        }
        trovix::Form1* form = program_->controllers().form();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form, exposureTimeoutMs));
        for (const QString& number : {QStringLiteral("12345678901234567890123456789012"),
                                      QStringLiteral("EA12345678901234567890123456789012345CN")}) {
            form->Label4->setText(number);
            for (const trovix::Courier& courier : trovix::couriers()) {
                form->Label6->setText(courier.displayName);
                form->Frame3->layout()->activate();
                for (const QLabel* part : {form->Label3, form->Label4, form->Label5, form->Label6}) {
                    verifyShownWhole(part, form->Frame3->contentsRect());
                    if (QTest::currentTestFailed())
                        return;
                }
            }
        }

        form->gy->trigger();
        trovix::Form2* about = program_->controllers().about().window();
        QVERIFY(QTest::qWaitForWindowExposed(about, exposureTimeoutMs));
        QCOMPARE(about->Label10->text(), trovix::config::homePage());
        verifyShownWhole(about->Label10, about->rect());
        about->close();
    }

    void messageBoxes_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::newRow("nothing found") << QStringLiteral("sorry") << QStringLiteral("sorry");
        QTest::newRow("delete question") << QStringLiteral("提示") << QStringLiteral("提示");
        QTest::newRow("update failure") << QStringLiteral("更新") << QStringLiteral("更新");
        QTest::newRow("no caption of its own") << QString() << QStringLiteral("Trovix");
    }

    void messageBoxes()
    {
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        trovix::MessageBoxPrompter prompter(program_->controllers().form());
        const auto ask = [&] {
            prompter.ask({QStringLiteral("text"), caption, QMessageBox::Ok, QMessageBox::NoIcon});
        };
        QCOMPARE(captionOfBoxShownBy(ask, QMessageBox::Ok), shown);
    }

    void exitQuestionThroughTheWindow()
    {
        trovix::Form1* form = program_->controllers().form();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form, exposureTimeoutMs));
        bool closed = true;
        QCOMPARE(captionOfBoxShownBy([&] { closed = form->close(); }, QMessageBox::Cancel),
                 QStringLiteral("Trovix"));
        QVERIFY(!closed);
    }

    void updateProgramWindow()
    {
        TempProgramFolder folder;
        QVERIFY(folder.copyFromBuild(QStringLiteral("update")));
        const quint16 closedPort = freeLoopbackPort();
        QVERIFY(closedPort);
        const QList<WId> before = managedWindows();
        QProcess update;
        QProcessEnvironment environment = desktop_.environment();
        environment.insert(QStringLiteral("TROVIX_UPDATE_VERSION_URL"),
                           QStringLiteral("http://127.0.0.1:%1/update.ini").arg(closedPort));
        update.setProcessEnvironment(environment);
        update.start(folder.file(QStringLiteral("update")), {});
        QVERIFY(update.waitForStarted());

        QStringList names;
        QVERIFY(spinUntil(
            [&] {
                names.clear();
                for (WId window : managedWindows()) {
                    if (!before.contains(window))
                        names.append(netWmName(window));
                }
                return !names.isEmpty() && !names.contains(QString());
            },
            30000));
        update.kill();
        update.waitForFinished();
        QCOMPARE(names, QStringList{QStringLiteral("更新")});
    }

private:
    const X11Desktop& desktop_;
    std::unique_ptr<trovix::DesktopProgram> program_;
};

int main(int argc, char** argv)
{
    X11Desktop desktop;
    if (desktop.running()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", desktop.display().toLocal8Bit());
    }
    // An address with a port, as the stand-in sites have, is the longest About shows.
    qputenv("TROVIX_HOME_PAGE", "http://127.0.0.1:47712/home/");
    trovix::prepareDesktopApplication();
    int result = 0;
    {
        QApplication application(argc, argv);
        CaptionsX11Test test(desktop);
        result = QTest::qExec(&test, argc, argv);
    }
    return result;
}

#include "test_captions_x11.moc"
