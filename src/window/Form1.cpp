#include "window/Form1.h"

#include "common/Configuration.h"
#include "common/FontFaces.h"
#include "common/SystemColours.h"
#include "common/Twips.h"
#include "skins/SkinTable.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/PageTextBuffer.h"
#include "window/ClickableLabel.h"
#include "window/InformationStripLayout.h"
#include "window/TextColour.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

#include <iterator>

namespace trovix {

namespace {

constexpr int StatusBarHeight = 22;

// The hidden browser and whatever it builds inside itself take no keyboard focus: Tab
// would otherwise land in a page nobody can see and type into it.
void keepOutOfKeyboardReach(QWidget* widget)
{
    widget->setFocusPolicy(Qt::NoFocus);
    for (QWidget* inner : widget->findChildren<QWidget*>())
        inner->setFocusPolicy(Qt::NoFocus);
}

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* result = named(new QLabel(text, parent), name);
    result->setGeometry(geometry);
    return result;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* result = named(new QPushButton(text, parent), name);
    result->setGeometry(geometry);
    return result;
}

QLineEdit* textBox(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* result = named(new QLineEdit(parent), name);
    result->setGeometry(geometry);
    return result;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* result = named(new QGroupBox(caption, parent), name);
    result->setGeometry(geometry);
    return result;
}

QAction* menuEntry(QObject* parent, const char* name, const QString& caption)
{
    auto* action = named(new QAction(caption, parent), name);
    return action;
}

} // namespace

QSize Form1::clientSize()
{
    return {twipsToPixels(8970), twipsToPixels(7395)};
}

Form1::Form1(QWidget* browserView, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Trovix V") + config::versionText());
    setWindowIcon(QIcon(QStringLiteral(":/trovix/trovix.png")));
    setFont(fonts::defaultFont());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(clientSize().width(), clientSize().height() - StatusBarHeight);
    setCentralWidget(client);

    buildWaybillFrame(client);
    buildOptionsFrame(client);
    buildCourierFrame(client);
    buildInformationFrame(client);
    buildOperationsFrame(client);
    buildBottom(client, browserView);
    buildMenu();
    setTabOrder();
    // After the tab order is set, so the browser keeps its place in it, passed over.
    keepOutOfKeyboardReach(WebBrowser1);
    WebBrowser1->installEventFilter(this);
    labelForAssistiveTechnology();
}

void Form1::buildWaybillFrame(QWidget* client)
{
    Frame1 = frame(client, "Frame1", QStringLiteral("快递运单号"), {8, 2, 222, 262});
    Label1 = label(Frame1, "Label1", QStringLiteral("请输入运单号："), {10, 20, 200, 22});
    Label1->setFont(fonts::windowsFont(QStringLiteral("微软雅黑"), 10.5));
    Text1 = textBox(Frame1, "Text1", {10, 44, 202, 28});
    Text1->setFont(fonts::windowsFont(QStringLiteral("宋体"), 12));
    Command6 = button(Frame1, "Command6", QStringLiteral("添加到保存的运单中"), {10, 78, 202, 26});
    Command6->setFont(fonts::windowsFont(QStringLiteral("宋体"), 9, fonts::Italic | fonts::Underline));
    Label2 = label(Frame1, "Label2", QStringLiteral("保存的运单号："), {10, 108, 200, 22});
    Label2->setFont(fonts::windowsFont(QStringLiteral("微软雅黑"), 10.5));
    DataGrid1 = named(new QTableView(Frame1), "DataGrid1");
    DataGrid1->setGeometry(10, 132, 202, 120);
    // One row is picked at a time; "select all" in the corner would have no meaning.
    DataGrid1->setCornerButtonEnabled(false);
    // Tab leaves the grid for the next control instead of walking its cells.
    DataGrid1->setTabKeyNavigation(false);
}

void Form1::buildOptionsFrame(QWidget* client)
{
    Frame5 = frame(client, "Frame5", QStringLiteral("选项"), {8, 268, 222, 150});
    Label9 = label(Frame5, "Label9", QStringLiteral("读取延迟："), {10, 24, 66, 22});
    Text3 = textBox(Frame5, "Text3", {78, 21, 60, 26});
    Text3->setFont(fonts::windowsFont(QStringLiteral("宋体"), 12));
    Text3->setText(QStringLiteral("5"));
    Label10 = label(Frame5, "Label10", QStringLiteral("秒"), {144, 24, 20, 22});
    Label11 =
        label(Frame5, "Label11", QStringLiteral("该值取决于网络速度，一般越大的话，越便于成功获取数据。"),
              {10, 52, 204, 34});
    Label11->setWordWrap(true);
    Label11->setFont(fonts::windowsFont(QStringLiteral("幼圆"), 9));
    setTextColour(Label11, Red);
    Command7 = button(Frame5, "Command7", QStringLiteral("打开快递官网"), {10, 90, 110, 26});
    Label13 = named(new ClickableLabel(QStringLiteral("点击访问我的博客"), Frame5), "Label13");
    Label13->setGeometry(10, 120, 200, 24);
    Label13->setFont(fonts::windowsFont(QStringLiteral("华文行楷"), 12, fonts::Underline));
    Label13->setFocusPolicy(Qt::NoFocus);
}

void Form1::buildCourierFrame(QWidget* client)
{
    Frame2 = frame(client, "Frame2", QStringLiteral("快递公司"), {238, 2, 352, 124});
    courierGroup = new QButtonGroup(this);
    courierGroup->setObjectName(QStringLiteral("courierGroup"));
    courierGroup->setExclusive(true);
    QRadioButton** members[] = {&Option1,  &Option2,  &Option3,  &Option4,  &Option5,
                                &Option6,  &Option7,  &Option8,  &Option9,  &Option10,
                                &Option11, &Option12, &Option13, &Option14, &Option15};
    for (const Courier& courier : couriers()) {
        const int i = courier.row - 1;
        auto* option = new QRadioButton(courier.displayName, Frame2);
        option->setObjectName(courier.optionName);
        option->setGeometry(10 + (i % 4) * 85, 20 + (i / 4) * 25, 84, 22);
        courierGroup->addButton(option, courier.row);
        *members[i] = option;
    }
}

void Form1::buildInformationFrame(QWidget* client)
{
    Frame3 = frame(client, "Frame3", QStringLiteral("信息"), {238, 128, 352, 46});
    Label3 = label(Frame3, "Label3", QStringLiteral("运单号："), {});
    Label4 = label(Frame3, "Label4", QString(), {});
    setTextColour(Label4, Red);
    Label5 = label(Frame3, "Label5", QStringLiteral("公司："), {});
    Label6 = label(Frame3, "Label6", QString(), {});
    Label6->setFont(fonts::windowsFont(QStringLiteral("新宋体"), 10.5));
    setTextColour(Label6, Blue);
    // Label4 and Label6 take the width of whatever text they are given, and the company
    // prompt moves along behind the waybill number. The frame's title already stands
    // above its contents, so the line needs no room of its own above it.
    auto* strip = new InformationStripLayout(Frame3, Label4);
    strip->setContentsMargins(8, 0, 4, 0);
    strip->setSpacing(2);
    for (QLabel* part : {Label3, Label4, Label5, Label6}) {
        part->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        strip->addWidget(part);
    }
    Label5->setContentsMargins(6, 0, 0, 0);
    strip->addStretch(1);
    strip->activate();

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(5000);
    Timer2 = named(new QTimer(this), "Timer2");
    Timer2->setInterval(1000);
    Timer2->start();
}

void Form1::buildOperationsFrame(QWidget* client)
{
    Frame4 = frame(client, "Frame4", QStringLiteral("操作"), {238, 176, 352, 100});
    Frame6 = frame(Frame4, "Frame6", QStringLiteral("其它"), {6, 14, 104, 80});
    Label14 = label(Frame6, "Label14", QStringLiteral("无验证码"), {8, 18, 90, 22});
    Label14->setFont(fonts::windowsFont(QStringLiteral("华文楷体"), 10.5));
    setTextColour(Label14, Red);
    Text2 = textBox(Frame6, "Text2", {8, 44, 88, 26});
    // The designer's background; a skin's style sheet, when there is one, goes over it.
    QPalette codeBox = Text2->palette();
    codeBox.setColor(QPalette::Base, colours::systemColour(colours::ApplicationWorkspace));
    Text2->setPalette(codeBox);
    Image1 = label(Frame6, "Image1", QString(), {8, 18, 90, 22});
    Image1->hide();
    Command1 = button(Frame4, "Command1", QStringLiteral("删除选中运单"), {116, 20, 92, 32});
    Command2 = button(Frame4, "Command2", QStringLiteral("清空输入运单"), {116, 58, 92, 32});
    Command5 = button(Frame4, "Command5", QStringLiteral("查询"), {214, 20, 58, 70});
    Command5->setFont(fonts::windowsFont(QStringLiteral("微软雅黑"), 12, fonts::Bold));
    Command5->setEnabled(false);
    Command3 = button(Frame4, "Command3", QStringLiteral("保存结果"), {278, 20, 66, 32});
    Command4 = button(Frame4, "Command4", QStringLiteral("清空结果"), {278, 58, 66, 32});
    Command8 = button(Frame4, "Command8", QStringLiteral("Command8"), {278, 58, 66, 32});
    Command8->hide();
}

void Form1::buildBottom(QWidget* client, QWidget* browserView)
{
    RichTextBox3 = named(new QTextEdit(client), "RichTextBox3");
    RichTextBox3->setGeometry(238, 282, 352, 184);
    RichTextBox3->setAcceptRichText(false);
    // Tab goes on to the next control, as in every other box of the window; a keyboard
    // user would otherwise be stuck in the result box.
    RichTextBox3->setTabChangesFocus(true);

    Label7 = label(client, "Label7", QStringLiteral("现在时间："), {12, 424, 80, 22});
    Label7->setFont(fonts::windowsFont(QStringLiteral("微软雅黑"), 10.5));
    setTextColour(Label7, MediumGreen);
    Label8 = label(client, "Label8", QStringLiteral("Label8"), {92, 424, 120, 22});
    Label8->setFont(fonts::windowsFont(QStringLiteral("微软雅黑"), 10.5));
    Label12 = label(client, "Label12", QStringLiteral("Label12"), {12, 448, 200, 20});

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setFixedHeight(StatusBarHeight);
    StatusBar1->setSizeGripEnabled(false);
    auto* credits = named(new QLabel(QStringLiteral("制作者：") + config::authorName()), "StatusBar1Panel1");
    auto* version = named(new QLabel(QStringLiteral("版本号：") + config::versionText()), "StatusBar1Panel2");
    version->setFixedWidth(twipsToPixels(1440));
    StatusBar1->addWidget(credits, 1);
    StatusBar1->addPermanentWidget(version);
    setStatusBar(StatusBar1);

    // Loaded, laid out and run as a shown control, but beyond the client area's right
    // edge, where the locked window size keeps it out of sight.
    WebBrowser1 = browserView ? browserView : new QWidget;
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setParent(client);
    WebBrowser1->setGeometry(twipsToPixels(9240), 0, twipsToPixels(6495), twipsToPixels(6375));
    WebBrowser1->show();

    RichTextBox2 = named(new PageTextBuffer(client), "RichTextBox2");
    RichTextBox2->setGeometry(twipsToPixels(9240), twipsToPixels(6375), 200, 100);
    RichTextBox2->setText(QStringLiteral("RichTextBox2"));
}

void Form1::buildMenu()
{
    pf = menuBar()->addMenu(QStringLiteral("皮肤"));
    pf->setObjectName(QStringLiteral("pf"));
    // The members in the skin table's order; the table names and captions them.
    QAction** skinMembers[] = {&moren, &jdqq, &jdxp, &dylg, &jpjm, &hskx, &bsjy};
    for (int row = 0; row < int(std::size(skinMembers)); ++row) {
        const SkinEntry& skin = skinTable().at(row);
        auto* entry = new QAction(skin.caption, this);
        entry->setObjectName(skin.entryName);
        *skinMembers[row] = entry;
    }
    pf->addActions(skinEntries());
    gy = menuEntry(this, "gy", QStringLiteral("关于"));
    jcgx = menuEntry(this, "jcgx", QStringLiteral("检查更新"));
    menuBar()->addAction(gy);
    menuBar()->addAction(jcgx);
}

void Form1::setTabOrder()
{
    const QList<QWidget*> order{Option1,  Option2,  Option3,   Option4,  Option5,  Option6,     Option7,
                                Option8,  Option9,  Text1,     Option10, Option11, Text2,       Command2,
                                Command3, Command4, Command5,  Command6, Command1, WebBrowser1, RichTextBox3,
                                Text3,    Command7, DataGrid1, Option12, Option13, Option14,    Option15};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void Form1::labelForAssistiveTechnology()
{
    const auto labelBy = [](QLabel* prompt, QWidget* field, const QString& name) {
        if (prompt)
            prompt->setBuddy(field);
        field->setAccessibleName(name);
    };
    labelBy(Label1, Text1, QStringLiteral("请输入运单号"));
    labelBy(Label14, Text2, QStringLiteral("验证码"));
    labelBy(Label9, Text3, QStringLiteral("读取延迟（秒）"));
    labelBy(Label2, DataGrid1, QStringLiteral("保存的运单号"));
    labelBy(nullptr, RichTextBox3, QStringLiteral("查询结果"));
    Label13->setAccessibleName(Label13->text());
}

QList<QRadioButton*> Form1::options() const
{
    return {Option1, Option2,  Option3,  Option4,  Option5,  Option6,  Option7, Option8,
            Option9, Option10, Option11, Option12, Option13, Option14, Option15};
}

QList<QAction*> Form1::skinEntries() const
{
    return {moren, jdqq, jdxp, dylg, jpjm, hskx, bsjy};
}

void Form1::setCloseQuestion(std::function<bool()> question)
{
    closeQuestion_ = std::move(question);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (closeQuestion_ && !closeQuestion_()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // The browser's view comes with its engine, after the window; it makes its rendering
    // widget when it first draws, and anew later on.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && (widget == WebBrowser1 || WebBrowser1->isAncestorOf(widget)) &&
        (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished)) {
        if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
            keepOutOfKeyboardReach(child);
            child->installEventFilter(this);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace trovix
