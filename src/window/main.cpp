#include "common/ProgramFolder.h"
#include "common/Prompter.h"
#include "common/SaveFileChooser.h"
#include "common/UrlOpener.h"
#include "skins/SettingsSkinChoiceStore.h"
#include "skins/SkinLibrary.h"
#include "tracking/WebEngineBrowser.h"
#include "window/Form1.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWebEngineView>

#include <unistd.h>

int main(int argc, char* argv[])
{
    // Chromium refuses to start as root unless its sandbox is off.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trovix"));
    QApplication::setApplicationDisplayName(QStringLiteral("Trovix"));

    // The standard buttons of message boxes and dialogs in Chinese: 确定, 取消, 是, 否.
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    const QString folder = trovix::programFolder();
    trovix::DesktopUrlOpener urlOpener;
    trovix::SkinLibrary skinLibrary(folder);
    trovix::SettingsSkinChoiceStore skinChoice;
    trovix::WebEngineBrowser browser(nullptr);
    trovix::MessageBoxPrompter prompter;
    trovix::DialogSaveFileChooser saveFileChooser;

    trovix::MainWindow window({browser, browser.view(), prompter, saveFileChooser, urlOpener, skinLibrary,
                               skinChoice, [] { return QDateTime::currentDateTime(); }, folder,
                               [] { QCoreApplication::exit(1); }});
    if (!window.load())
        return 1;
    window.form()->show();
    return application.exec();
}
