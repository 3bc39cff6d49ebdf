// Trovix as the launcher runs it, with a user at the keyboard: it is put in place of the
// installed executable, so the launcher's own program folder, the database template and
// the sample aggregator the launcher starts are all the installed ones.
//
//   --query NUMBER   pick the first courier, query NUMBER, expect its sample history
//   --add            then add the number to the saved waybills
//   --expect-row NUMBER   the grid shows NUMBER at start-up
//   --exit           end at once: only what the launcher did counts
// Prints what it saw; exits 0 when every expectation held.

#include "SampleAggregator.h"
#include "SpinUntil.h"
#include "tracking/ResultBox.h"
#include "window/DesktopProgram.h"
#include "window/Form1.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextEdit>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr int PageTimeoutMs = 90000;

QStringList numbersInGrid(const QTableView* grid)
{
    QStringList numbers;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        numbers << grid->model()->index(row, 1).data().toString();
    return numbers;
}

} // namespace

int main(int argc, char* argv[])
{
    trovix::prepareDesktopApplication();
    QApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption queryOption(QStringLiteral("query"), QString(), QStringLiteral("number"));
    const QCommandLineOption addOption(QStringLiteral("add"));
    const QCommandLineOption expectRowOption(QStringLiteral("expect-row"), QString(),
                                             QStringLiteral("number"));
    const QCommandLineOption exitOption(QStringLiteral("exit"));
    parser.addOptions({queryOption, addOption, expectRowOption, exitOption});
    parser.process(application);
    if (parser.isSet(exitOption))
        return 0;

    QTextStream out(stdout);
    trovix::DesktopProgram program;
    QStringList loads;
    QObject::connect(&program.browser(), &trovix::Browser::documentCompleted,
                     [&loads](trovix::Browser::DocumentId, const QString& address) { loads << address; });
    if (!program.start())
        return 1;
    trovix::Form1& form = *program.controllers().form();
    const auto loaded = [&loads](const QString& part) {
        for (const QString& address : loads) {
            if (address.contains(part))
                return true;
        }
        return false;
    };
    const auto fail = [&out](const QString& why) {
        out << "FAILED: " << why << Qt::endl;
        return 1;
    };

    if (!spinUntil([&] { return loaded(QStringLiteral("/home/")); }, PageTimeoutMs))
        return fail(QStringLiteral("the home page did not load; loads: ") + loads.join(u' '));
    out << "home page loaded" << Qt::endl;

    if (parser.isSet(expectRowOption)) {
        const QStringList numbers = numbersInGrid(form.DataGrid1);
        out << "saved: " << numbers.join(u' ') << Qt::endl;
        if (!numbers.contains(parser.value(expectRowOption)))
            return fail(QStringLiteral("the saved waybill is not shown"));
    }

    if (parser.isSet(queryOption)) {
        const QString number = parser.value(queryOption);
        form.Text3->setText(QStringLiteral("0.5"));
        form.Option1->setChecked(true);
        if (!spinUntil([&] { return loaded(QStringLiteral("/all/ems.html")) && !form.Timer1->isActive(); },
                       PageTimeoutMs))
            return fail(QStringLiteral("the courier page did not load"));
        form.Text1->setText(number);
        form.Command5->click();
        const QString expected =
            SampleAggregator::historyLines(number).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        spinUntil([&] { return trovix::boxText(form.RichTextBox3) == expected; }, PageTimeoutMs);
        const QString shown = trovix::boxText(form.RichTextBox3);
        out << "history:\n" << shown << Qt::endl;
        if (shown != expected)
            return fail(QStringLiteral("the history shown is not the sample's"));
        if (parser.isSet(addOption)) {
            form.Command6->click();
            if (!numbersInGrid(form.DataGrid1).contains(number))
                return fail(QStringLiteral("the added waybill is not shown"));
            out << "added " << number << Qt::endl;
        }
    }
    return 0;
}
