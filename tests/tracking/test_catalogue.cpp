#include "common/Configuration.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/CourierSiteCommand.h"

#include "Recorders.h"
#include "TrackingWidgetSet.h"

#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using trovix::HostForm;
using trovix::InputMode;

Q_DECLARE_METATYPE(trovix::HostForm)
Q_DECLARE_METATYPE(trovix::InputMode)

class CatalogueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TROVIX_AGGREGATOR_HOST_A", "hosta.example:81");
        qputenv("TROVIX_AGGREGATOR_HOST_B", "HostB.example:82");
    }

    void rows_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<HostForm>("form");
        QTest::addColumn<InputMode>("mode");
        QTest::addColumn<QString>("sitePath");

        const auto add = [](int row, const char* name, const char* path, HostForm form, InputMode mode,
                            const char* site) {
            QTest::addRow("%d", row) << row << QString::fromUtf8(name) << QString::fromUtf8(path) << form
                                     << mode << QString::fromUtf8(site);
        };
        add(1, "EMS快递", "/all/ems.html", HostForm::A, InputMode::NoInput, "/");
        add(2, "顺丰速递", "/all/sf.html", HostForm::A, InputMode::NoInput, "/");
        add(3, "申通快递", "/all/st.html", HostForm::A, InputMode::NoInput, "");
        add(4, "圆通快递", "/all/yt.html", HostForm::A, InputMode::NoInput, "");
        add(5, "天天快递", "/all/tt.html", HostForm::A, InputMode::NoInput, "/");
        add(6, "中通快递", "/all/zt.html", HostForm::A, InputMode::NoInput, "/");
        add(7, "韵达快递", "/all/yd.html", HostForm::A, InputMode::NoInput, "/www/index.html");
        add(8, "汇通快递", "/all/htky.html", HostForm::A, InputMode::NoInput, "/");
        add(9, "全一快递", "/all/qy.html", HostForm::A, InputMode::NoInput, "/");
        add(10, "宅急送", "/all/zjs.html", HostForm::A, InputMode::NoInput, "/");
        add(11, "鑫飞鸿", "/all/xfh.html", HostForm::A, InputMode::NoInput, "/");
        add(12, "德邦物流", "/all/dbwl.html", HostForm::B, InputMode::NoInput, "/");
        add(13, "星辰急便", "/all/xcjb.html", HostForm::B, InputMode::NoInput, "/");
        add(14, "佳吉快运", "/all/jjwl.html", HostForm::B, InputMode::TelephoneNumber, "/");
        add(15, "中铁快运", "/all/ztky.html", HostForm::B, InputMode::NoInput, "/jsp/index.jsp");
    }

    void rows()
    {
        QFETCH(int, row);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(HostForm, form);
        QFETCH(InputMode, mode);
        QFETCH(QString, sitePath);

        QCOMPARE(trovix::couriers().size(), 15);
        const trovix::Courier* courier = trovix::courierByRow(row);
        QVERIFY(courier);
        QCOMPARE(courier, &trovix::couriers().at(row - 1));
        QCOMPARE(courier->row, row);
        QCOMPARE(courier->optionName, QStringLiteral("Option%1").arg(row));
        QCOMPARE(courier->displayName, name);
        QCOMPARE(courier->pagePath, path);
        QCOMPARE(courier->hostForm, form);
        QCOMPARE(courier->inputMode, mode);
        QCOMPARE(courier->sitePath, sitePath);
        QCOMPARE(trovix::courierByDisplayName(name), courier);

        const QString host =
            form == HostForm::A ? QStringLiteral("hosta.example:81") : QStringLiteral("HostB.example:82");
        QCOMPARE(trovix::trackingAddress(*courier), QStringLiteral("http://") + host + path);
    }

    void rowLookupOutsideTheTable()
    {
        QCOMPARE(trovix::courierByRow(0), nullptr);
        QCOMPARE(trovix::courierByRow(16), nullptr);
        QCOMPARE(trovix::courierByRow(-1), nullptr);
    }

    void displayNameMatchesExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("trailing blank") << QStringLiteral("EMS快递 ");
        QTest::newRow("leading blank") << QStringLiteral(" 顺丰速递");
        QTest::newRow("inner blank") << QStringLiteral("申通 快递");
        QTest::newRow("other case") << QStringLiteral("ems快递");
        QTest::newRow("part of a name") << QStringLiteral("宅急");
        QTest::newRow("unknown") << QStringLiteral("百世快递");
        QTest::newRow("empty") << QString();
    }

    void displayNameMatchesExactly()
    {
        QFETCH(QString, name);
        QCOMPARE(trovix::courierByDisplayName(name), nullptr);
    }

    void distinctRowsTwelveAndThirteen()
    {
        const trovix::Courier* debang = trovix::courierByDisplayName(QStringLiteral("德邦物流"));
        const trovix::Courier* xingchen = trovix::courierByDisplayName(QStringLiteral("星辰急便"));
        QVERIFY(debang && xingchen);
        QCOMPARE(debang->row, 12);
        QCOMPARE(xingchen->row, 13);
        QCOMPARE(trovix::trackingAddress(*debang), QStringLiteral("http://HostB.example:82/all/dbwl.html"));
        QCOMPARE(trovix::trackingAddress(*xingchen), QStringLiteral("http://HostB.example:82/all/xcjb.html"));
    }

    void telephonePageUsesHostFormB()
    {
        QCOMPARE(trovix::telephonePageAddress(), QStringLiteral("http://HostB.example:82/all/jjwl.html"));
        QCOMPARE(trovix::trackingAddress(*trovix::courierByRow(14)), trovix::telephonePageAddress());
    }

    void codeFieldOfALoadedPage_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("codeField");
        QTest::newRow("telephone page")
            << QStringLiteral("http://HostB.example:82/all/jjwl.html") << QStringLiteral("valicodetel");
        QTest::newRow("telephone path in host form A")
            << QStringLiteral("http://hosta.example:81/all/jjwl.html") << QStringLiteral("valicode");
        QTest::newRow("another scheme")
            << QStringLiteral("https://HostB.example:82/all/jjwl.html") << QStringLiteral("valicode");
        QTest::newRow("row 12") << QStringLiteral("http://HostB.example:82/all/dbwl.html")
                                << QStringLiteral("valicode");
        QTest::newRow("a frame of the page")
            << QStringLiteral("http://HostB.example:82/all/jjwl.html#ad") << QStringLiteral("valicode");
    }

    void codeFieldOfALoadedPage()
    {
        QFETCH(QString, address);
        QFETCH(QString, codeField);
        QCOMPARE(trovix::codeFieldIdOfPage(address), codeField);
    }

    void siteAddresses_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("root") << 1 << QStringLiteral("/");
        QTest::newRow("bare host, row 3") << 3 << QString();
        QTest::newRow("bare host, row 4") << 4 << QString();
        QTest::newRow("page, row 7") << 7 << QStringLiteral("/www/index.html");
        QTest::newRow("page, row 15") << 15 << QStringLiteral("/jsp/index.jsp");
    }

    void siteAddresses()
    {
        QFETCH(int, row);
        QFETCH(QString, suffix);
        const QString host = trovix::courierByRow(row)->siteHost;
        QVERIFY(!host.isEmpty());
        QCOMPARE(trovix::siteAddress(*trovix::courierByRow(row)), QStringLiteral("http://") + host + suffix);
    }

    void siteCommandOpensTheSelectedRowsSite_data()
    {
        QTest::addColumn<int>("selected"); // 0: none
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("none selected") << 0 << QStringList();
        QTest::newRow("row 3, bare host")
            << 3 << QStringList{QStringLiteral("http://") + trovix::courierByRow(3)->siteHost};
        QTest::newRow("row 15") << 15
                                << QStringList{QStringLiteral("http://") +
                                               trovix::courierByRow(15)->siteHost +
                                               QStringLiteral("/jsp/index.jsp")};
    }

    void siteCommandOpensTheSelectedRowsSite()
    {
        QFETCH(int, selected);
        QFETCH(QStringList, opened);

        TrackingWidgetSet window;
        if (selected)
            window.option(selected)->setChecked(true);
        auto* command7 = new QPushButton(&window.form);
        RecordingUrlOpener opener;
        trovix::CourierSiteCommand command(command7, window.choice);

        command7->click();
        QCOMPARE(opener.opened, opened);
    }
};

QTEST_MAIN(CatalogueTest)
#include "test_catalogue.moc"
