#pragma once

#include "common/ProgramFolder.h"
#include "skins/SkinLibraryInterface.h"

#include <QString>

namespace trovix {

// A skin is a Qt style sheet in UTF-8 text, applied to the whole application at once;
// a later skin replaces the earlier one. A file that is missing, unreadable or not
// UTF-8 text leaves the skin in force untouched.
// Needs a QApplication.
class SkinLibrary final : public SkinLibraryInterface {
public:
    explicit SkinLibrary(ProgramFolder programFolder);

    void SkinH_Attach() override;
    // The password is accepted for the library's signature; skins are plain text.
    void SkinH_AttachEx(const QString& path, const QString& password) override;

private:
    ProgramFolder programFolder_;
};

} // namespace trovix
