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
    QAction* named(const QString& name) const { return owner.findChild<QAction*>(name); }
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

// The menu over recording stand-ins, in the program folder `Folder`.
struct Rig {
    Entries entries;
    RecordingSkinLibrary library;
    MemorySkinChoiceStore store;
    SkinMenu menu{entries.list, library, store, ProgramFolder(Folder)};
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

        QTest::newRow("nothing saved") << QString() << u"moren"_s << u"SkinH_Attach"_s << QString();
        const QStringList bin = {u"jdqq"_s, u"jdxp"_s, u"dylg"_s, u"jpjm"_s, u"hskx"_s, u"bsjy"_s};
        for (const SkinEntry& skin : skinTable()) {
            if (!bin.contains(skin.entryName))
                continue;
            QTest::newRow(qPrintable(skin.entryName))
                << skin.savedValue() << skin.entryName << "SkinH_AttachEx" << Folder + skin.savedValue();
        }
        // A saved value no entry has: its file is attached, the default entry checked.
        const auto foreign = [](const char* name, const QString& saved) {
            QTest::newRow(name) << saved << u"moren"_s << u"SkinH_AttachEx"_s << Folder + saved;
        };
        foreign("wrong letter case", u"\\bin\\经典XP.she"_s);
        foreign("unknown skin", u"\\bin\\unknown.she"_s);
        foreign("default skin's own file", u"\\skinh.she"_s);
    }
    void restore()
    {
        QFETCH(QString, saved);
        QFETCH(QString, checkedEntry);
        QFETCH(QString, operation);
        QFETCH(QString, path);

        Rig r;
        r.store.value = saved;
        r.menu.restore();

        QCOMPARE(r.entries.checked(), QStringList{checkedEntry});
        QCOMPARE(r.library.calls.size(), 1);
        QCOMPARE(r.library.calls[0].operation, operation);
        QCOMPARE(r.library.calls[0].path, path);
        QCOMPARE(r.library.calls[0].password, QString());
        QVERIFY(r.store.writes.isEmpty());
    }
    void choose_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QKeySequence>("shortcut");

        const auto row = [](const char* entry, const QString& file, const QString& stored, Qt::Key key) {
            QTest::newRow(entry) << entry << Folder + file << stored << QKeySequence(Qt::CTRL | key);
        };
        row("moren", u"\\skinh.she"_s, QString(), Qt::Key_F1);
        row("jdqq", u"\\bin\\腾讯QQ.she"_s, u"\\bin\\腾讯QQ.she"_s, Qt::Key_F2);
        row("jdxp", u"\\bin\\经典xp.she"_s, u"\\bin\\经典xp.she"_s, Qt::Key_F3);
        row("dylg", u"\\bin\\淡雅流光.she"_s, u"\\bin\\淡雅流光.she"_s, Qt::Key_F4);
        row("jpjm", u"\\bin\\简谱积木.she"_s, u"\\bin\\简谱积木.she"_s, Qt::Key_F5);
        row("hskx", u"\\bin\\黑色酷炫.she"_s, u"\\bin\\黑色酷炫.she"_s, Qt::Key_F6);
        row("bsjy", u"\\bin\\白色简约.she"_s, u"\\bin\\白色简约.she"_s, Qt::Key_F7);
    }
    void choose()
    {
        QFETCH(QString, entry);
        QFETCH(QString, path);
        QFETCH(QString, stored);
        QFETCH(QKeySequence, shortcut);

        Rig r;
        r.store.value = QStringLiteral("\\bin\\黑色酷炫.she");
        r.menu.restore();
        r.library.calls.clear();

        QAction* action = r.entries.named(entry);
        QCOMPARE(action->shortcut(), shortcut);
        action->trigger();

        QCOMPARE(r.library.calls.size(), 1);
        QCOMPARE(r.library.calls[0].operation, QStringLiteral("SkinH_AttachEx"));
        QCOMPARE(r.library.calls[0].path, path);
        QCOMPARE(r.library.calls[0].password, QString());
        QCOMPARE(r.store.writes, QStringList{stored});
        QCOMPARE(r.entries.checked(), QStringList{entry});
    }
    // Each choice, of the checked entry too, attaches its skin, is stored and carries the only mark.
    void lastChoiceCarriesTheOnlyMark()
    {
        Rig r;
        r.menu.restore();
        r.library.calls.clear();
        for (const char* name : {"bsjy", "moren", "hskx", "jdqq", "jdqq", "dylg", "jpjm"}) {
            r.entries.named(QLatin1String(name))->trigger();
            QCOMPARE(r.entries.checked(), QStringList{QLatin1String(name)});
        }
        QCOMPARE(r.library.calls.size(), 7);
        QCOMPARE(r.store.writes, QStringList({u"\\bin\\白色简约.she"_s, QString(), u"\\bin\\黑色酷炫.she"_s,
                                              u"\\bin\\腾讯QQ.she"_s, u"\\bin\\腾讯QQ.she"_s,
                                              u"\\bin\\淡雅流光.she"_s, u"\\bin\\简谱积木.she"_s}));
    }
    void choiceSurvivesARestart()
    {
        RecordingSkinLibrary library;
        SettingsSkinChoiceStore store;
        {
            Entries entries;
            SkinMenu menu(entries.list, library, store, ProgramFolder(Folder));
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
            SkinMenu menu(entries.list, library, store, ProgramFolder(moved));
            menu.restore();
            QCOMPARE(entries.checked(), QStringList{u"jdxp"_s});
            QCOMPARE(library.calls.last().path, moved + u"\\bin\\经典xp.she"_s);
            entries.named(u"moren"_s)->trigger();
        }
        QCOMPARE(store.read(), QString());

        library.calls.clear();
        Entries entries;
        SkinMenu menu(entries.list, library, store, ProgramFolder(moved));
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
