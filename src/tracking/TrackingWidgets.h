#pragma once

class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QTimer;

namespace trovix {

class CourierChoice;
class PageTextBuffer;

// The widgets of Form1 that tracking reads and writes.
struct TrackingWidgets {
    CourierChoice* courierChoice = nullptr; // over Option1..Option15
    QLineEdit* text1 = nullptr;
    QLineEdit* text2 = nullptr;
    QLineEdit* text3 = nullptr;
    QLabel* label4 = nullptr;
    QLabel* label6 = nullptr;
    QLabel* label14 = nullptr;
    QLabel* image1 = nullptr;
    QPushButton* command5 = nullptr;
    PageTextBuffer* richTextBox2 = nullptr;
    QTextEdit* richTextBox3 = nullptr;
    QTimer* timer1 = nullptr;
};

} // namespace trovix
