#pragma once

#include <QString>

namespace trovix {

// The two operations of the skin library, named as the library exports them. Callers
// ignore the outcome, so neither returns anything.
class SkinLibraryInterface {
public:
    virtual ~SkinLibraryInterface() = default;
    // Applies the default skin, "skinh.she" in the program folder.
    virtual void SkinH_Attach() = 0;
    // Applies the skin file at path (written with backslashes) to the whole program.
    virtual void SkinH_AttachEx(const QString& path, const QString& password) = 0;
};

} // namespace trovix
