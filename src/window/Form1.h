#pragma once

#include <QList>
#include <QMainWindow>

#include <functional>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTableView;
class QTextEdit;
class QTimer;

namespace trovix {

class ClickableLabel;
class PageTextBuffer;

// The main window as designed: every control under its designer name, as member and
// as objectName. The window holds no logic; controllers are handed its controls.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // browserView is placed as WebBrowser1, outside the client area; it may be null.
    explicit Form1(QWidget* browserView, QWidget* parent = nullptr);

    static QSize clientSize(); // 8970 x 7395 twips

    QList<QRadioButton*> options() const; // Option1 .. Option15
    QList<QAction*> skinEntries() const;  // moren .. bsjy, in menu order

    // Asked whenever the window is to close; false keeps it open.
    void setCloseQuestion(std::function<bool()> question);

    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* Text1;
    QLabel* Label2;
    QPushButton* Command6;
    QTableView* DataGrid1;

    QGroupBox* Frame5;
    QLabel* Label9;
    QLineEdit* Text3;
    QLabel* Label10;
    QLabel* Label11;
    QPushButton* Command7;
    ClickableLabel* Label13;

    QGroupBox* Frame2;
    QButtonGroup* courierGroup;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QRadioButton* Option3;
    QRadioButton* Option4;
    QRadioButton* Option5;
    QRadioButton* Option6;
    QRadioButton* Option7;
    QRadioButton* Option8;
    QRadioButton* Option9;
    QRadioButton* Option10;
    QRadioButton* Option11;
    QRadioButton* Option12;
    QRadioButton* Option13;
    QRadioButton* Option14;
    QRadioButton* Option15;

    QGroupBox* Frame3;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QTimer* Timer1;
    QTimer* Timer2;

    QGroupBox* Frame4;
    QGroupBox* Frame6;
    QLabel* Label14;
    QLineEdit* Text2;
    QLabel* Image1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command5;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command8;

    QTextEdit* RichTextBox3;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label12;
    QStatusBar* StatusBar1;
    QWidget* WebBrowser1;
    PageTextBuffer* RichTextBox2;

    QMenu* pf;
    QAction* moren;
    QAction* jdqq;
    QAction* jdxp;
    QAction* dylg;
    QAction* jpjm;
    QAction* hskx;
    QAction* bsjy;
    QAction* gy;
    QAction* jcgx;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWaybillFrame(QWidget* client);
    void buildOptionsFrame(QWidget* client);
    void buildCourierFrame(QWidget* client);
    void buildInformationFrame(QWidget* client);
    void buildOperationsFrame(QWidget* client);
    void buildBottom(QWidget* client, QWidget* browserView);
    void buildMenu();
    void setTabOrder();
    void labelForAssistiveTechnology();

    std::function<bool()> closeQuestion_;
};

} // namespace trovix
