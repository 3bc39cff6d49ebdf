#pragma once

#include "engine/BrowserProcess.h"
#include "engine/ChromiumLaunch.h"
#include "engine/DevToolsConnection.h"
#include "engine/DevToolsSession.h"
#include "engine/PipeTransport.h"

#include "SpinUntil.h"

#include <QJsonArray>
#include <QUrl>

#include <memory>
#include <optional>

// A bare page in the engine's browser, driven over the same pipe with none of Trovix's
// rules: for tests that need a real browser to load a page and run a script in it.
class ScriptedPage {
public:
    ScriptedPage()
    {
        const QString executable = trovix::BrowserProcess::chooseExecutable();
        QString error;
        trovix::PipeTransport* pipe = process_.start(
            executable, trovix::chromiumArguments(executable, trovix::chromiumSandboxWanted(), {1024, 768}),
            &error);
        if (!pipe)
            return;
        connection_ = std::make_unique<trovix::DevToolsConnection>(pipe);
        const QJsonObject target = call(QStringLiteral("Target.createTarget"),
                                        {{QStringLiteral("url"), QStringLiteral("about:blank")}});
        const QJsonObject attached =
            call(QStringLiteral("Target.attachToTarget"),
                 {{QStringLiteral("targetId"), target.value(QStringLiteral("targetId"))},
                  {QStringLiteral("flatten"), true}});
        session_ = connection_->session(attached.value(QStringLiteral("sessionId")).toString());
        QObject::connect(session_, &trovix::DevToolsSession::event, session_,
                         [this](const QString& method, const QJsonObject&) {
                             if (method == QLatin1String("Page.loadEventFired"))
                                 ++loads_;
                         });
        call(QStringLiteral("Page.enable"));
    }

    bool ready() const { return session_ != nullptr; }

    // Loads the address and waits for its load event; false also for an HTTP error.
    bool load(const QString& address)
    {
        const int before = loads_;
        call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), address}});
        return spinUntil([&] { return loads_ > before; }, 30000) &&
               evaluate(QStringLiteral("performance.getEntriesByType('navigation')[0].responseStatus"))
                       .toInt() < 400;
    }

    // The value of a script in the top document; invalid when it gives none.
    QVariant evaluate(const QString& script)
    {
        return call(QStringLiteral("Runtime.evaluate"),
                    {{QStringLiteral("expression"), script}, {QStringLiteral("returnByValue"), true}})
            .value(QStringLiteral("result"))
            .toObject()
            .value(QStringLiteral("value"))
            .toVariant();
    }

    int loads() const { return loads_; }

private:
    QJsonObject call(const QString& method, const QJsonObject& params = {})
    {
        std::optional<QJsonObject> result;
        const auto done = [&result](const trovix::DevToolsReply& reply) { result = reply.result; };
        if (session_)
            session_->send(method, params, done);
        else
            connection_->send(method, params, done);
        spinUntil([&] { return result.has_value(); }, 30000);
        return result.value_or(QJsonObject());
    }

    trovix::BrowserProcess process_;
    std::unique_ptr<trovix::DevToolsConnection> connection_;
    trovix::DevToolsSession* session_ = nullptr;
    int loads_ = 0;
};
