#include "tracking/CourierCatalogue.h"
#include "window/ClickableLabel.h"
#include "window/Form1.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <memory>

using namespace trovix;

// The window as the user meets it: the browser's control must stay out of reach of the
// keyboard as it stays out of sight.
class KeyboardAndScreenReaderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        form = std::make_unique<Form1>(nullptr);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
    }

    void cleanup() { form.reset(); }

    // Tab passes every control in the designed order, never stops in the hidden browser
    // and is not swallowed by the result box or the grid; the couriers are one stop, as
    // option groups are; Shift+Tab walks the same way back.
    void tabWalksTheDesignedOrderRoundTheWindow()
    {
        const QList<QWidget*> expected{form->Command1,  form->RichTextBox3, form->Text3,   form->Command7,
                                       form->DataGrid1, form->Option12,     form->Text1,   form->Text2,
                                       form->Command2,  form->Command3,     form->Command4};
        const auto walk = [](QWidget* from, Qt::Key key, int steps) {
            from->setFocus();
            QList<QWidget*> visited{QApplication::focusWidget()};
            while (visited.size() < steps) {
                QTest::keyClick(QApplication::focusWidget(), key);
                visited << QApplication::focusWidget();
            }
            return visited;
        };
        QCOMPARE(walk(expected.first(), Qt::Key_Tab, expected.size()), expected);
        QList<QWidget*> back = walk(expected.last(), Qt::Key_Backtab, expected.size());
        std::reverse(back.begin(), back.end());
        QCOMPARE(back, expected);
    }

    void everyControlTheUserCanActOnHasAName()
    {
        QList<QWidget*> actionable;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            // The grid's headings are read out as its column names, not as controls.
            if (!widget->isVisibleTo(form.get()) || !widget->isEnabled() ||
                form->WebBrowser1->isAncestorOf(widget) || qobject_cast<QHeaderView*>(widget))
                continue;
            if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                qobject_cast<QTextEdit*>(widget) || qobject_cast<QAbstractItemView*>(widget) ||
                qobject_cast<ClickableLabel*>(widget))
                actionable << widget;
        }
        // Fifteen couriers, six commands, three text boxes, the result box, the grid, the link.
        QCOMPARE(actionable.size(), 15 + 6 + 3 + 1 + 1 + 1);
        for (QWidget* widget : actionable) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(accessible);
            QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(widget->objectName() + QLatin1Char(' ') +
                                QLatin1String(widget->metaObject()->className())));
        }
        QList<QAction*> entries = form->menuBar()->actions();
        for (int i = 0; i < entries.size(); ++i) {
            QAction* entry = entries.at(i);
            QVERIFY2(entry->isSeparator() || !entry->text().isEmpty(), qPrintable(entry->objectName()));
            if (entry->menu())
                entries << entry->menu()->actions();
        }
        QVERIFY(entries.size() >= 3 + 7);
    }

private:
    std::unique_ptr<Form1> form;
};

QTEST_MAIN(KeyboardAndScreenReaderTest)
#include "test_keyboard_and_screen_reader.moc"
