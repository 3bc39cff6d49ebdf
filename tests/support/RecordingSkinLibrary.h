#pragma once

#include "skins/SkinLibraryInterface.h"

#include <QList>
#include <QString>

#include <functional>

// Records every call into the skin library, in order, and lets a test look at the
// program's state at the moment of each call.
class RecordingSkinLibrary final : public trovix::SkinLibraryInterface {
public:
    struct Call {
        QString operation; // "SkinH_Attach" or "SkinH_AttachEx"
        QString path;
        QString password;
    };

    void SkinH_Attach() override { record({QStringLiteral("SkinH_Attach"), {}, {}}); }
    void SkinH_AttachEx(const QString& path, const QString& password) override
    {
        record({QStringLiteral("SkinH_AttachEx"), path, password});
    }

    QList<Call> calls;
    std::function<void()> onAttach;

private:
    void record(const Call& call)
    {
        calls.append(call);
        if (onAttach)
            onAttach();
    }
};
