#include "skins/SettingsSkinChoiceStore.h"

#include <QSettings>

namespace trovix {

namespace {

const QString Key = QStringLiteral("Value/value");

QSettings settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("aaa"));
}

} // namespace

QString SettingsSkinChoiceStore::read()
{
    return settings().value(Key, QString()).toString();
}

void SettingsSkinChoiceStore::write(const QString& value)
{
    QSettings store = settings();
    store.setValue(Key, value);
    store.sync();
}

QString SettingsSkinChoiceStore::fileName()
{
    return settings().fileName();
}

} // namespace trovix
