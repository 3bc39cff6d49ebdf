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

QString aggregatorScheme()
{
    return fromEnvironment("TROVIX_AGGREGATOR_SCHEME", TROVIX_DEFAULT_AGGREGATOR_SCHEME);
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

} // namespace trovix::config
