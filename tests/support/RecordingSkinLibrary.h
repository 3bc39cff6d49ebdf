#pragma once

#include "skins/SkinLibraryInterface.h"

#include <QList>
#include <QString>

// Records every call into the skin library, in order.
class RecordingSkinLibrary final : public trovix::SkinLibraryInterface {
public:
    struct Call {
        QString operation; // "SkinH_Attach" or "SkinH_AttachEx"
        QString path;
        QString password;
    };

    void SkinH_Attach() override { calls.append({QStringLiteral("SkinH_Attach"), {}, {}}); }
    void SkinH_AttachEx(const QString& path, const QString& password) override
    {
        calls.append({QStringLiteral("SkinH_AttachEx"), path, password});
    }

    QList<Call> calls;
};
