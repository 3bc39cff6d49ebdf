#pragma once

#include "skins/SkinChoiceStore.h"

#include <QStringList>

// The saved skin kept in memory; every write is recorded.
class MemorySkinChoiceStore final : public trovix::SkinChoiceStore {
public:
    QString read() override { return value; }
    void write(const QString& newValue) override
    {
        value = newValue;
        writes.append(newValue);
    }

    QString value;
    QStringList writes;
};
