#include "window/DesktopProgram.h"

#include "common/ProgramFolder.h"
#include "engine/ChromiumBrowser.h"
#include "tracking/CourierCatalogue.h"
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
const char* const sandboxVariable = "QTWEBENGINE_DISABLE_SANDBOX";
const QString noSandbox = QStringLiteral("--no-sandbox");

} // namespace

bool chromiumSandboxMustBeOff(uid_t effectiveUser)
{
    // Chromium refuses to start as root unless its sandbox is off.
    return effectiveUser == 0;
}

bool sandboxChoiceAllowsStart(const QStringList& arguments)
{
    if (arguments.mid(1).contains(noSandbox))
        qputenv(sandboxVariable, "1");
    return !chromiumSandboxMustBeOff(geteuid()) || qgetenv(sandboxVariable) == "1";
}

MessageBoxRequest sandboxRefusal()
{
    MessageBoxRequest request;
    request.text =
        QStringList{QStringLiteral("Trovix 不能以 root 身份运行：内置浏览器（Chromium）无法为 root 启用沙箱，"
                                   "网页中的代码（包括广告和网络上被插入的脚本）将拥有 root 的全部权限。"),
                    QStringLiteral("请以普通用户身份运行 Trovix。"),
                    QStringLiteral("如确需以 root 运行，请自行关闭沙箱：在命令行加上 --no-sandbox，"
                                   "或设置环境变量 QTWEBENGINE_DISABLE_SANDBOX=1。")}
            .join(QStringLiteral("\r\n"));
    request.caption = QStringLiteral("Trovix");
    request.buttons = QMessageBox::Ok;
    request.icon = QMessageBox::Critical;
    return request;
}

void prepareDesktopApplication()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
    // Nothing of Trovix draws with OpenGL: without X11's OpenGL integration the window
    // need not wait for the whole OpenGL driver to load.
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
    // Wayland compositors and docks match the window to trovix.desktop by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("trovix"));
    // The standard buttons of message boxes and dialogs in Chinese: 确定, 取消, 是, 否.
    if (qtTranslator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
}

DesktopProgram::DesktopProgram()
    : folder_(ProgramFolder::ofRunningExecutable()), skinLibrary_(folder_),
      controllers_({browser_, nullptr, prompter_, saveFileChooser_, skinLibrary_, skinChoice_,
                    [] { return QDateTime::currentDateTime(); }, folder_, [] { QCoreApplication::exit(1); }})
{
}

int runDesktopProgram(int argc, char* argv[])
{
    prepareDesktopApplication();
    QApplication application(argc, argv);
    // Before the window, and so before any process of the browser.
    if (!sandboxChoiceAllowsStart(QCoreApplication::arguments())) {
        const DesktopProgram::ApplicationTexts texts;
        MessageBoxPrompter().ask(sandboxRefusal());
        return 1;
    }
    DesktopProgram program;
    if (!program.start())
        return 1;
    return application.exec();
}

bool DesktopProgram::start()
{
    if (!controllers_.load())
        return false;
    controllers_.form()->show();
    engineStart_ =
        std::make_unique<WindowOnScreenWatch>(controllers_.form()->windowHandle(), [this] { startEngine(); });
    return true;
}

MessageBoxRequest engineUnavailableBox(const QString& reason)
{
    return {QStringList{
                QStringLiteral("无法启动浏览器引擎，暂时不能查询运单；保存的运单仍可查看和管理。"),
                QStringLiteral(
                    "请安装 chromium-headless-shell 软件包（sudo apt install chromium-headless-shell）。"),
                reason}
                .join(QStringLiteral("\r\n")),
            QStringLiteral("Trovix"), QMessageBox::Ok, QMessageBox::Warning};
}

void DesktopProgram::startEngine()
{
    Form1* form = controllers_.form();
    if (!form)
        return;
    auto engine = std::make_unique<ChromiumBrowser>(form->WebBrowser1->size(), aggregatorHosts());
    // The window and the saved waybills stay usable; the next courier choice tries again.
    QObject::connect(engine.get(), &ChromiumBrowser::engineUnavailable, engine.get(),
                     [this](const QString& reason) { prompter_.ask(engineUnavailableBox(reason)); });
    browser_.attach(std::move(engine));
}

} // namespace trovix
