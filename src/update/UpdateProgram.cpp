#include "update/UpdateProgram.h"

#include "common/Prompter.h"
#include "update/Form3.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace trovix {

int runUpdateProgram(int& argc, char* argv[], UpdateFlow::Checkpoint checkpoint)
{
    QApplication app(argc, argv);
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);

    // The program ends when the flow says so: closing the window while Trovix is being
    // replaced lets the hand-over finish first.
    app.setQuitOnLastWindowClosed(false);
    Form3 window;
    MessageBoxPrompter prompter(&window);
    UpdateFlow flow(window, UpdateFlow::Settings::fromConfiguration(), prompter, std::move(checkpoint));
    QObject::connect(&flow, &UpdateFlow::ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    flow.start();
    if (flow.hasEnded())
        return flow.exitCode();
    app.exec();
    return flow.exitCode();
}

} // namespace trovix
