#pragma once

#include "common/ProgramFolder.h"

#include <QObject>

class QLineEdit;
class QPushButton;
class QTextEdit;

namespace trovix {

class ClickableLabel;
class Prompter;
class SaveFileChooser;

struct ResultCommandWidgets {
    QLineEdit* text1;
    QTextEdit* richTextBox3;
    QPushButton* command2;   // 清空输入运单
    QPushButton* command3;   // 保存结果
    QPushButton* command4;   // 清空结果
    ClickableLabel* label13; // 点击访问我的博客
};

// The small commands around the result: clear the input, save or clear the result,
// and the link to the author's home page.
class ResultCommands : public QObject {
    Q_OBJECT
public:
    ResultCommands(const ResultCommandWidgets& widgets, SaveFileChooser& chooser, Prompter& prompter,
                   ProgramFolder programFolder, QObject* parent = nullptr);

    void clearInput();
    void clearResult();
    void saveResult();
    void openHomePage();

private:
    ResultCommandWidgets widgets_;
    SaveFileChooser& chooser_;
    Prompter& prompter_;
    ProgramFolder programFolder_;
};

} // namespace trovix
