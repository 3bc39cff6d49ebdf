#include "tracking/CourierCatalogue.h"

#include "common/Configuration.h"

namespace trovix {

namespace {

QList<Courier> buildCatalogue()
{
    struct Row {
        const char* displayName;
        const char* pagePath;
        HostForm hostForm;
        InputMode inputMode;
        const char* siteHost;
        const char* sitePath;
    };
    static const Row rows[] = {
        {"EMS快递", "/all/ems.html", HostForm::A, InputMode::NoInput, "www.ems.com.cn", "/"},
        {"顺丰速递", "/all/sf.html", HostForm::A, InputMode::NoInput, "www.sf-express.com", "/"},
        {"申通快递", "/all/st.html", HostForm::A, InputMode::NoInput, "www.sto.cn", ""},
        {"圆通快递", "/all/yt.html", HostForm::A, InputMode::NoInput, "www.yto.net.cn", ""},
        {"天天快递", "/all/tt.html", HostForm::A, InputMode::NoInput, "www.ttkdex.com", "/"},
        {"中通快递", "/all/zt.html", HostForm::A, InputMode::NoInput, "www.zto.com", "/"},
        {"韵达快递", "/all/yd.html", HostForm::A, InputMode::NoInput, "www.yundaex.com", "/www/index.html"},
        {"汇通快递", "/all/htky.html", HostForm::A, InputMode::NoInput, "www.800bestex.com", "/"},
        {"全一快递", "/all/qy.html", HostForm::A, InputMode::NoInput, "www.apex100.com", "/"},
        {"宅急送", "/all/zjs.html", HostForm::A, InputMode::NoInput, "www.zjs.com.cn", "/"},
        {"鑫飞鸿", "/all/xfh.html", HostForm::A, InputMode::NoInput, "www.xfexp.com", "/"},
        {"德邦物流", "/all/dbwl.html", HostForm::B, InputMode::NoInput, "www.deppon.com", "/"},
        {"星辰急便", "/all/xcjb.html", HostForm::B, InputMode::NoInput, "www.xcjb.com", "/"},
        {"佳吉快运", "/all/jjwl.html", HostForm::B, InputMode::TelephoneNumber, "www.jiaji.com", "/"},
        {"中铁快运", "/all/ztky.html", HostForm::B, InputMode::NoInput, "www.95572.com", "/jsp/index.jsp"},
    };
    QList<Courier> catalogue;
    int row = 0;
    for (const Row& entry : rows) {
        ++row;
        catalogue.append(Courier{row, QStringLiteral("Option%1").arg(row),
                                 QString::fromUtf8(entry.displayName), QString::fromUtf8(entry.pagePath),
                                 entry.hostForm, entry.inputMode, QString::fromLatin1(entry.siteHost),
                                 QString::fromUtf8(entry.sitePath)});
    }
    return catalogue;
}

// The configured scheme + "://" + the aggregator host in the given form.
QString aggregatorOrigin(HostForm form)
{
    return config::aggregatorScheme() + QStringLiteral("://") +
           (form == HostForm::A ? config::aggregatorHostA() : config::aggregatorHostB());
}

} // namespace

const QList<Courier>& couriers()
{
    static const QList<Courier> catalogue = buildCatalogue();
    return catalogue;
}

const Courier* courierByRow(int row)
{
    if (row < 1 || row > couriers().size())
        return nullptr;
    return &couriers().at(row - 1);
}

const Courier* courierByDisplayName(const QString& name)
{
    for (const Courier& courier : couriers()) {
        if (courier.displayName == name)
            return &courier;
    }
    return nullptr;
}

QStringList aggregatorHosts()
{
    return {config::aggregatorHostA(), config::aggregatorHostB()};
}

QString trackingAddress(const Courier& courier)
{
    return aggregatorOrigin(courier.hostForm) + courier.pagePath;
}

QString telephonePageAddress()
{
    for (const Courier& courier : couriers()) {
        if (courier.inputMode == InputMode::TelephoneNumber)
            return trackingAddress(courier);
    }
    return QString();
}

QString waybillFieldId()
{
    return QStringLiteral("postid");
}

QString submitButtonId()
{
    return QStringLiteral("lika");
}

QString codeFieldId(InputMode mode)
{
    return mode == InputMode::TelephoneNumber ? QStringLiteral("valicodetel") : QStringLiteral("valicode");
}

QString codeFieldIdOfPage(const QString& address)
{
    return codeFieldId(address == telephonePageAddress() ? InputMode::TelephoneNumber : InputMode::NoInput);
}

QString siteAddress(const Courier& courier)
{
    return QStringLiteral("http://") + courier.siteHost + courier.sitePath;
}

} // namespace trovix
