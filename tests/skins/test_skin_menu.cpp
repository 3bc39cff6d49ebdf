#include "MemorySkinChoiceStore.h"
#include "RecordingSkinLibrary.h"
#include "skins/SettingsSkinChoiceStore.h"
#include "skins/SkinMenu.h"
#include "skins/SkinTable.h"

#include <QAction>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

using namespace trovix;

namespace {

const QString Folder = QStringLiteral("/opt/trovix");

// The seven menu entries as the main window names them, in menu order.
struct Entries {
    Entries()
    {
        for (const SkinEntry& skin : skinTable()) {
            auto* action = new QAction(skin.caption, &owner);
            action->setObjectName(skin.entryName);
            list.append(action);
        }
    }
    QAction* named(const QString& name) const
    {
        for (QAction* action : list) {
            if (action->objectName() == name)
                return action;
        }
        return nullptr;
    }
    QStringList checked() const
    {
        QStringList names;
        for (QAction* action : list) {
            if (action->isChecked())
                names.append(action->objectName());
        }
        return names;
    }
    QObject owner;
    QList<QAction*> list;
};

} // namespace

class SkinMenuTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(settingsFolder_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder_.path());
        QCOMPARE(SettingsSkinChoiceStore::fileName(), settingsFolder_.filePath(QStringLiteral("aaa.conf")));
    }
    void restore_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("checkedEntry");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("path");

        QTest::newRow("nothing saved") << QString() << "moren"
                                       << "SkinH_Attach" << QString();
        const QStringList bin = {u"jdqq"_s, u"jdxp"_s, u"dylg"_s, u"jpjm"_s, u"hskx"_s, u"bsjy"_s};
        for (const SkinEntry& skin : skinTable()) {
            if (!bin.contains(skin.entryName))
                continue;
            QTest::newRow(qPrintable(skin.entryName))
                << skin.savedValue << skin.entryName << "SkinH_AttachEx" << Folder + skin.savedValue;
        }
        QTest::newRow("wrong letter case") << "\\bin\\经典XP.she"
                                           << "moren"
                                           << "SkinH_AttachEx" << Folder + u"\\bin\\经典XP.she"_s;
        QTest::newRow("unknown skin") << "\\bin\\unknown.she"
                                      << "moren"
                                      << "SkinH_AttachEx" << Folder + u"\\bin\\unknown.she"_s;
        QTest::newRow("default skin's own file") << "\\skinh.she"
                                                 << "moren"
                                                 << "SkinH_AttachEx" << Folder + u"\\skinh.she"_s;
    }
    void restore()
    {
        QFETCH(QString, saved);
        QFETCH(QString, checkedEntry);
        QFETCH(QString, operation);
        QFETCH(QString, path);

        Entries entries;
        RecordingSkinLibrary library;
        MemorySkinChoiceStore store;
        store.value = saved;
        SkinMenu menu(entries.list, library, store, Folder);
        menu.restore();

        QCOMPARE(entries.checked(), QStringList{checkedEntry});
        QCOMPARE(library.calls.size(), 1);
        QCOMPARE(library.calls[0].operation, operation);
        QCOMPARE(library.calls[0].path, path);
        QCOMPARE(library.calls[0].password, QString());
        QVERIFY(store.writes.isEmpty());
    }
    void choose_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QKeySequence>("shortcut");

        QTest::newRow("moren") << "moren" << Folder + u"\\skinh.she"_s << QString()
                               << QKeySequence(u"Ctrl+F1"_s);
        QTest::newRow("jdqq") << "jdqq" << Folder + u"\\bin\\腾讯QQ.she"_s << "\\bin\\腾讯QQ.she"
                              << QKeySequence(u"Ctrl+F2"_s);
        QTest::newRow("jdxp") << "jdxp" << Folder + u"\\bin\\经典xp.she"_s << "\\bin\\经典xp.she"
                              << QKeySequence(u"Ctrl+F3"_s);
        QTest::newRow("dylg") << "dylg" << Folder + u"\\bin\\淡雅流光.she"_s << "\\bin\\淡雅流光.she"
                              << QKeySequence(u"Ctrl+F4"_s);
        QTest::newRow("jpjm") << "jpjm" << Folder + u"\\bin\\简谱积木.she"_s << "\\bin\\简谱积木.she"
                              << QKeySequence(u"Ctrl+F5"_s);
        QTest::newRow("hskx") << "hskx" << Folder + u"\\bin\\黑色酷炫.she"_s << "\\bin\\黑色酷炫.she"
                              << QKeySequence(u"Ctrl+F6"_s);
        QTest::newRow("bsjy") << "bsjy" << Folder + u"\\bin\\白色简约.she"_s << "\\bin\\白色简约.she"
                              << QKeySequence(u"Ctrl+F7"_s);
    }
    void choose()
    {
        QFETCH(QString, entry);
        QFETCH(QString, path);
        QFETCH(QString, stored);
        QFETCH(QKeySequence, shortcut);

        Entries entries;
        RecordingSkinLibrary library;
        MemorySkinChoiceStore store;
        store.value = QStringLiteral("\\bin\\黑色酷炫.she");
        SkinMenu menu(entries.list, library, store, Folder);
        menu.restore();
        library.calls.clear();

        QAction* action = entries.named(entry);
        QCOMPARE(action->shortcut(), shortcut);
        action->trigger();

        QCOMPARE(library.calls.size(), 1);
        QCOMPARE(library.calls[0].operation, QStringLiteral("SkinH_AttachEx"));
        QCOMPARE(library.calls[0].path, path);
        QCOMPARE(library.calls[0].password, QString());
        QCOMPARE(store.writes, QStringList{stored});
        QCOMPARE(entries.checked(), QStringList{entry});
    }
    void choosingTheCheckedEntryKeepsItChecked()
    {
        Entries entries;
        RecordingSkinLibrary library;
        MemorySkinChoiceStore store;
        SkinMenu menu(entries.list, library, store, Folder);
        entries.named(u"jdxp"_s)->trigger();
        entries.named(u"jdxp"_s)->trigger();

        QCOMPARE(entries.checked(), QStringList{u"jdxp"_s});
        QCOMPARE(library.calls.size(), 2);
        QCOMPARE(store.writes, QStringList({u"\\bin\\经典xp.she"_s, u"\\bin\\经典xp.she"_s}));
    }
    void lastChoiceCarriesTheOnlyMark()
    {
        Entries entries;
        RecordingSkinLibrary library;
        MemorySkinChoiceStore store;
        SkinMenu menu(entries.list, library, store, Folder);
        menu.restore();
        for (const char* name : {"bsjy", "moren", "hskx", "jdqq", "jdqq", "dylg", "jpjm"}) {
            entries.named(QLatin1String(name))->trigger();
            QCOMPARE(entries.checked(), QStringList{QLatin1String(name)});
        }
    }
    void choiceSurvivesARestart()
    {
        RecordingSkinLibrary library;
        SettingsSkinChoiceStore store;
        {
            Entries entries;
            SkinMenu menu(entries.list, library, store, Folder);
            menu.restore();
            entries.named(u"jdxp"_s)->trigger();
        }
        QVERIFY(QFile::exists(settingsFolder_.filePath(QStringLiteral("aaa.conf"))));
        QCOMPARE(QSettings(settingsFolder_.filePath(QStringLiteral("aaa.conf")), QSettings::IniFormat)
                     .value(QStringLiteral("Value/value")),
                 QVariant(QStringLiteral("\\bin\\经典xp.she")));

        // Started again from a moved program folder: only the relative path was kept.
        library.calls.clear();
        const QString moved = QStringLiteral("/home/user/trovix");
        {
            Entries entries;
            SkinMenu menu(entries.list, library, store, moved);
            menu.restore();
            QCOMPARE(entries.checked(), QStringList{u"jdxp"_s});
            QCOMPARE(library.calls.last().path, moved + u"\\bin\\经典xp.she"_s);
            entries.named(u"moren"_s)->trigger();
        }
        QCOMPARE(store.read(), QString());

        library.calls.clear();
        Entries entries;
        SkinMenu menu(entries.list, library, store, moved);
        menu.restore();
        QCOMPARE(entries.checked(), QStringList{u"moren"_s});
        QCOMPARE(library.calls.size(), 1);
        QCOMPARE(library.calls[0].operation, QStringLiteral("SkinH_Attach"));
    }

private:
    QTemporaryDir settingsFolder_;
};

QTEST_MAIN(SkinMenuTest)
#include "test_skin_menu.moc"
