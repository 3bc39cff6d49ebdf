#include "common/Prompter.h"
#include "update/Form3.h"
#include "update/UpdateFlow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);

    // The program ends when the flow says so: closing the window while Trovix is being
    // replaced lets the hand-over finish first.
    app.setQuitOnLastWindowClosed(false);
    trovix::Form3 window;
    trovix::MessageBoxPrompter prompter(&window);
    trovix::UpdateFlow flow(window, trovix::UpdateFlow::Settings::fromConfiguration(), prompter);
    QObject::connect(&flow, &trovix::UpdateFlow::ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    flow.start();
    if (flow.hasEnded())
        return flow.exitCode();
    app.exec();
    return flow.exitCode();
}
