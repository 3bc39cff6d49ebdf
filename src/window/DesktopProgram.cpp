#include "window/DesktopProgram.h"

#include "common/ProgramFolder.h"
#include "window/EngineLoader.h"
#include "window/Form1.h"

#include <QApplication>
#include <QDateTime>
#include <QLibraryInfo>

#include <unistd.h>

#include <utility>

namespace trovix {

namespace {

const char* const glIntegrationVariable = "QT_XCB_GL_INTEGRATION";
bool glIntegrationTurnedOff = false;

} // namespace

bool chromiumSandboxMustBeOff(uid_t effectiveUser)
{
    // Chromium refuses to start as root unless its sandbox is off.
    return effectiveUser == 0;
}

void prepareDesktopApplication()
{
    if (chromiumSandboxMustBeOff(geteuid()))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
    // Nothing of Trovix draws with OpenGL: the browser, never seen, draws in software.
    // Without OpenGL on X11 the engine's library cannot make the OpenGL context it
    // otherwise makes while the application starts, and the window need not wait for
    // the whole OpenGL driver to load. Later engines end the program when they find no
    // OpenGL at all.
    if (!qEnvironmentVariableIsSet(glIntegrationVariable)) {
        qputenv(glIntegrationVariable, "none");
        glIntegrationTurnedOff = true;
    }
#endif
}

DesktopProgram::GraphicsSetting::GraphicsSetting()
{
    // Read while the application started; the programs Trovix starts must not inherit it.
    if (std::exchange(glIntegrationTurnedOff, false))
        qunsetenv(glIntegrationVariable);
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

DesktopProgram::DesktopProgram(QByteArrayView engineModule)
    : folder_(ProgramFolder::ofRunningExecutable().path()), skinLibrary_(folder_), engineModule_(engineModule),
      controllers_({browser_, nullptr, prompter_, saveFileChooser_, skinLibrary_, skinChoice_,
                    [] { return QDateTime::currentDateTime(); }, folder_, [] { QCoreApplication::exit(1); }})
{
}

bool DesktopProgram::start()
{
    if (!controllers_.load())
        return false;
    controllers_.form()->show();
    engineStart_ = std::make_unique<WindowOnScreenWatch>(controllers_.form()->windowHandle(), [this] { startEngine(); });
    return true;
}

void DesktopProgram::startEngine()
{
    Form1* form = controllers_.form();
    if (!form)
        return;
    QString error;
    std::unique_ptr<Browser> engine = loadEngineBrowser(engineModule_, form->WebBrowser1, &error);
    if (!engine) {
        prompter_.ask({QStringLiteral("浏览器引擎无法加载，暂时不能查询运单；保存的运单仍可查看和管理。\r\n") + error,
                       QStringLiteral("Trovix"), QMessageBox::Ok, QMessageBox::Warning});
        return;
    }
    browser_.attach(std::move(engine));
}

} // namespace trovix
