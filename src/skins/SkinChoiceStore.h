#pragma once

#include <QString>

namespace trovix {

// The one per-user value that remembers the chosen skin.
class SkinChoiceStore {
public:
    virtual ~SkinChoiceStore() = default;
    // The saved value; the empty string when nothing is saved.
    virtual QString read() = 0;
    virtual void write(const QString& value) = 0;
};

} // namespace trovix
