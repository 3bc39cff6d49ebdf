#include "common/Configuration.h"

#include <QUrl>
#include <QtGlobal>

namespace trovix::config {

namespace {

QString fromEnvironment(const char* name, const char* fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString::fromUtf8(fallback) : value;
}

} // namespace

QString versionText()
{
    return QStringLiteral(TROVIX_VERSION_TEXT);
}

QString aggregatorHostA()
{
    return fromEnvironment("TROVIX_AGGREGATOR_HOST_A", TROVIX_DEFAULT_HOST_A);
}
QString aggregatorHostB()
{
    return fromEnvironment("TROVIX_AGGREGATOR_HOST_B", TROVIX_DEFAULT_HOST_B);
}
QString homePage()
{
    return fromEnvironment("TROVIX_HOME_PAGE", TROVIX_DEFAULT_HOME_PAGE);
}

QString homeHost()
{
    const QUrl url(homePage());
    return url.host().isEmpty() ? homePage() : url.host();
}

QString updateVersionUrl()
{
    return fromEnvironment("TROVIX_UPDATE_VERSION_URL", TROVIX_DEFAULT_UPDATE_VERSION_URL);
}

QString updateExecutableUrl()
{
    return fromEnvironment("TROVIX_UPDATE_EXECUTABLE_URL", TROVIX_DEFAULT_UPDATE_EXECUTABLE_URL);
}

QString updateSignatureUrl()
{
    const QString value = qEnvironmentVariable("TROVIX_UPDATE_SIGNATURE_URL");
    return value.isEmpty() ? updateExecutableUrl() + QStringLiteral(".minisig") : value;
}

QString updatePublicKey()
{
    return fromEnvironment("TROVIX_UPDATE_PUBLIC_KEY", TROVIX_DEFAULT_UPDATE_PUBLIC_KEY);
}

QString authorName()
{
    return QStringLiteral("Trovix 开发组");
}
QString authorContact()
{
    return QStringLiteral("见项目主页");
}

QString courierSiteHost(int row)
{
    static const char* const hosts[] = {
        "www.ems.com.cn",     // EMS快递
        "www.sf-express.com", // 顺丰速递
        "www.sto.cn",         // 申通快递
        "www.yto.net.cn",     // 圆通快递
        "www.ttkdex.com",     // 天天快递
        "www.zto.com",        // 中通快递
        "www.yundaex.com",    // 韵达快递
        "www.800bestex.com",  // 汇通快递
        "www.apex100.com",    // 全一快递
        "www.zjs.com.cn",     // 宅急送
        "www.xfexp.com",      // 鑫飞鸿
        "www.deppon.com",     // 德邦物流
        "www.xcjb.com",       // 星辰急便
        "www.jiaji.com",      // 佳吉快运
        "www.95572.com",      // 中铁快运
    };
    if (row < 1 || row > int(std::size(hosts)))
        return {};
    return QString::fromLatin1(hosts[row - 1]);
}

} // namespace trovix::config
