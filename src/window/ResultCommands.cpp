#include "window/ResultCommands.h"

#include "common/AnsiText.h"
#include "common/Configuration.h"
#include "common/Prompter.h"
#include "common/SaveFileChooser.h"
#include "common/UsersBrowser.h"
#include "tracking/ResultBox.h"
#include "window/ClickableLabel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTextEdit>

namespace trovix {

ResultCommands::ResultCommands(const ResultCommandWidgets& widgets, SaveFileChooser& chooser,
                               Prompter& prompter, ProgramFolder programFolder, QObject* parent)
    : QObject(parent), widgets_(widgets), chooser_(chooser), prompter_(prompter),
      programFolder_(std::move(programFolder))
{
    connect(widgets_.command2, &QPushButton::clicked, this, &ResultCommands::clearInput);
    connect(widgets_.command3, &QPushButton::clicked, this, &ResultCommands::saveResult);
    connect(widgets_.command4, &QPushButton::clicked, this, &ResultCommands::clearResult);
    connect(widgets_.label13, &ClickableLabel::clicked, this, &ResultCommands::openHomePage);
}

void ResultCommands::clearInput()
{
    widgets_.text1->setText(QString());
}

void ResultCommands::clearResult()
{
    widgets_.richTextBox3->clear();
}

void ResultCommands::saveResult()
{
    SaveDialogSettings settings;
    settings.title = QStringLiteral("保存为");
    settings.folder = programFolder_.path();
    settings.nameFilters = QStringList{QStringLiteral("文本文件(*.txt)"), QStringLiteral("所有文件(*.*)")};
    settings.selectedFilter = 0;
    settings.defaultSuffix = QStringLiteral("txt");
    const QString path = chooser_.chooseSaveFile(settings);
    if (path.isEmpty())
        return;

    // Written whole or not at all: a failed save leaves an existing file as it was.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    const QByteArray bytes = ansi::encode(boxText(widgets_.richTextBox3) + QStringLiteral("\r\n"));
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return;
    MessageBoxRequest request;
    request.text = QStringLiteral("无法保存文件“%1”：%2").arg(path, file.errorString());
    request.icon = QMessageBox::Warning;
    prompter_.ask(request);
}

void ResultCommands::openHomePage()
{
    openInUsersBrowser(config::homePage());
}

} // namespace trovix
