#include "window/DesktopProgram.h"

#include "common/ProgramFolder.h"
#include "window/Form1.h"

#include <QApplication>
#include <QDateTime>
#include <QLibraryInfo>
#include <QWebEngineView>

#include <unistd.h>

namespace trovix {

void prepareDesktopApplication()
{
    // Chromium refuses to start as root unless its sandbox is off.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

DesktopProgram::ApplicationTexts::ApplicationTexts()
{
    // No display name: the platform would append it to every window's caption ("关于 —
    // Trovix"). A window without a caption of its own still shows the application name.
    QApplication::setApplicationName(QStringLiteral("Trovix"));
    // The standard buttons of message boxes and dialogs in Chinese: 确定, 取消, 是, 否.
    if (qtTranslator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
}

DesktopProgram::DesktopProgram()
    : folder_(programFolder()), skinLibrary_(folder_), browser_(nullptr),
      controllers_({browser_, browser_.view(), prompter_, saveFileChooser_, skinLibrary_, skinChoice_,
                    [] { return QDateTime::currentDateTime(); }, folder_, [] { QCoreApplication::exit(1); }})
{
}

bool DesktopProgram::start()
{
    if (!controllers_.load())
        return false;
    controllers_.form()->show();
    return true;
}

} // namespace trovix
