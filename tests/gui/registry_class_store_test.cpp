// The Windows file classes written through the registry store, here into an INI file: the keys
// of each ticked kind, and their removal leaving other programs' keys.
#include "modules/desktop/file_classes.h"
#include "test_support.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

TEST(RegistryClassStore, WritesTheKeysOfEachTickedKindAndRemovesOnlyItsOwn)
{
    ScratchFolder folder;
    const auto ini = QString::fromStdString((folder / "classes.ini").string());
    {
        QSettings other(ini, QSettings::IniFormat);
        other.setValue(".txt/Default", "txtfile");
        other.setValue(".lwp/Default", "LotusWordPro");   // taken over by the association
    }
    AssociationSet kinds;
    kinds.set(3);   // Palettes
    kinds.set(4);   // Weapons
    RegistryClassStore store(std::make_unique<QSettings>(ini, QSettings::IniFormat), "/opt/Quorvex");
    EXPECT_EQ(assignExtensions(store, kinds, "/opt/Quorvex/quorvex").status, "Extension(s) assigned");

    QSettings classes(ini, QSettings::IniFormat);
    for (auto extension : {".act", ".lpl", ".pal"})
        EXPECT_EQ(classes.value(QString(extension) + "/Default").toString(), "Quorvex.Palette") << extension;
    EXPECT_EQ(classes.value(".lwp/Default").toString(), "Quorvex.Weapon");
    EXPECT_FALSE(classes.contains(".lev/Default"));
    EXPECT_EQ(classes.value("Quorvex.Palette/Default").toString(), "Palette");
    EXPECT_EQ(classes.value("Quorvex.Weapon/DefaultIcon/Default").toString(), "/opt/Quorvex/ic_lwp.ico,0");
    EXPECT_EQ(classes.value("Quorvex.Weapon/shell/open/command/Default").toString(), "\"/opt/Quorvex/quorvex\" \"%1\"");

    classes.setValue(".pal/Default", "OtherPainter");   // another program took .pal since
    classes.sync();
    removeExtensions(store);
    classes.sync();
    EXPECT_EQ(classes.value(".txt/Default").toString(), "txtfile");
    EXPECT_EQ(classes.value(".pal/Default").toString(), "OtherPainter");
    EXPECT_FALSE(classes.contains(".act/Default"));
    EXPECT_FALSE(classes.contains(".lwp/Default"));
    EXPECT_TRUE(classes.allKeys().filter("Quorvex.").isEmpty());
}
