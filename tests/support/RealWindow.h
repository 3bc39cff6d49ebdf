#pragma once

#include "SpinUntil.h"
#include "StandInServices.h"
#include "TempProgramFolder.h"

#include "engine/ChromiumBrowser.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/ResultBox.h"
#include "window/Form1.h"
#include "window/Form1Controllers.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

// The whole main window with the real browser, as Trovix runs it, on a throw-away
// program folder that holds the build's yundan.mdb. Every completed document's address
// is kept in `loads`. Only for tests that link the window.
struct RealWindow : StandInServices {
    RealWindow() : browser(QSize(433, 425), trovix::aggregatorHosts())
    {
        folderReady = folder.copyFromBuild(QStringLiteral("yundan.mdb"));
        QObject::connect(
            &browser, &trovix::Browser::documentCompleted, &browser,
            [this](trovix::Browser::DocumentId, const QString& address) { loads.append(address); });
    }

    trovix::Form1& form() { return *window.form(); }
    QString result() { return trovix::boxText(form().RichTextBox3); }
    int loadsOf(const QString& path) const { return int(loads.filter(path).size()); }

    bool waitForPage(const QString& address)
    {
        return spinUntil([&] { return !loads.isEmpty() && loads.last() == address; }, 60000);
    }

    // Picks a courier and waits until its page has loaded and the capture that load
    // scheduled is over.
    bool selectCourier(QRadioButton* option, const QString& path)
    {
        const int before = loadsOf(path);
        option->setChecked(true);
        return spinUntil([&] { return loadsOf(path) > before; }, 40000) &&
               spinUntil([&] { return !form().Timer1->isActive(); }, 40000);
    }

    void query(const QString& number)
    {
        form().Text1->setText(number);
        QTest::mouseClick(form().Command5, Qt::LeftButton);
    }

    TempProgramFolder folder;
    bool folderReady = false;
    trovix::ChromiumBrowser browser;
    trovix::Form1Controllers window{services(
        browser, nullptr, [] { return QDateTime::currentDateTime(); }, folder.programFolder())};
    QStringList loads;
};
