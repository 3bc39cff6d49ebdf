#pragma once

#include "skins/SkinChoiceStore.h"

namespace trovix {

// Application "aaa", section "Value", key "value" in the user's configuration
// folder: $XDG_CONFIG_HOME/aaa.conf (~/.config/aaa.conf by default).
class SettingsSkinChoiceStore final : public SkinChoiceStore {
public:
    QString read() override;
    void write(const QString& value) override;

    // Where the value is kept, for the record.
    static QString fileName();
};

} // namespace trovix
