#include "engine/ChromiumLaunch.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

namespace trovix {

QStringList chromiumArguments(const QString& executable, bool sandbox, QSize pageSize)
{
    QStringList arguments{
        QStringLiteral("--no-first-run"),
        QStringLiteral("--no-default-browser-check"),
        QStringLiteral("--disable-background-networking"),
        QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"),
        QStringLiteral("--disable-default-apps"),
        QStringLiteral("--disable-extensions"),
        QStringLiteral("--disable-breakpad"),
        QStringLiteral(
            "--disable-features=Translate,MediaRouter,OptimizationHints,AutofillServerCommunication"),
        // On Linux the network service runs unsandboxed all the same; kept in the browser's
        // process it spares a process of about 10 MB.
        QStringLiteral("--enable-features=NetworkServiceInProcess2"),
        QStringLiteral("--password-store=basic"),
        QStringLiteral("--block-new-web-contents"),
        QStringLiteral("--js-flags=--jitless"),
        QStringLiteral("--disable-3d-apis"),
        QStringLiteral("--disable-gpu"),
        QStringLiteral("--in-process-gpu"),
        QStringLiteral("--mute-audio"),
        QStringLiteral("--disable-audio-output"),
        QStringLiteral("--disable-audio-input"),
        QStringLiteral("--disable-blink-features=AutomationControlled"),
        QStringLiteral("--lang=zh-CN"),
        // Its own complaints (no D-Bus, no GPU) are no news to our users; the level holds
        // only with logging named.
        QStringLiteral("--enable-logging=stderr"),
        QStringLiteral("--log-level=3"),
        QStringLiteral("--window-size=%1,%2").arg(pageSize.width()).arg(pageSize.height()),
    };
    // The shell is headless by itself; the full browser must be told.
    if (!QFileInfo(executable).fileName().contains(QLatin1String("headless")))
        arguments.prepend(QStringLiteral("--headless"));
    if (!sandbox)
        arguments.append(QStringLiteral("--no-sandbox"));
    return arguments;
}

bool chromiumSandboxWanted()
{
    return qgetenv("QTWEBENGINE_DISABLE_SANDBOX") != "1";
}

QJsonObject desktopChromeIdentity(const QString& headlessUserAgent)
{
    QString userAgent = headlessUserAgent;
    userAgent.replace(QLatin1String("HeadlessChrome/"), QLatin1String("Chrome/"));
    const QString fullVersion =
        QRegularExpression(QStringLiteral("Chrome/([0-9.]+)")).match(userAgent).captured(1);
    const QString major = fullVersion.section(QLatin1Char('.'), 0, 0);
    const auto brands = [](const QString& version, const QString& greaseVersion) {
        return QJsonArray{QJsonObject{{QStringLiteral("brand"), QStringLiteral("Chromium")},
                                      {QStringLiteral("version"), version}},
                          QJsonObject{{QStringLiteral("brand"), QStringLiteral("Google Chrome")},
                                      {QStringLiteral("version"), version}},
                          QJsonObject{{QStringLiteral("brand"), QStringLiteral("Not-A.Brand")},
                                      {QStringLiteral("version"), greaseVersion}}};
    };
    const QJsonObject metadata{
        {QStringLiteral("brands"), brands(major, QStringLiteral("24"))},
        {QStringLiteral("fullVersionList"), brands(fullVersion, QStringLiteral("24.0.0.0"))},
        {QStringLiteral("fullVersion"), fullVersion},
        {QStringLiteral("platform"), QStringLiteral("Linux")},
        {QStringLiteral("platformVersion"), QString()},
        {QStringLiteral("architecture"), QStringLiteral("x86")},
        {QStringLiteral("model"), QString()},
        {QStringLiteral("mobile"), false},
        {QStringLiteral("bitness"), QStringLiteral("64")},
        {QStringLiteral("wow64"), false},
    };
    return {{QStringLiteral("userAgent"), userAgent},
            {QStringLiteral("acceptLanguage"), QStringLiteral("zh-CN,zh;q=0.9")},
            {QStringLiteral("platform"), QStringLiteral("Linux x86_64")},
            {QStringLiteral("userAgentMetadata"), metadata}};
}

} // namespace trovix
