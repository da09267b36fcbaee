// The entry name of earlier versions in a user's mimeapps.list, on temporary XDG folders.
#include <gtest/gtest.h>

#include "platform/desktop/associations.h"
#include "platform/desktop/freedesktop_store.h"
#include "support/temp_dir.h"

namespace vesk::platform::desktop {
namespace {

using vesk::test::readAll;
using vesk::test::TempDir;

const QByteArray OldList =
    "# kept as it is\n"
    "[Default Applications]\n"
    "text/plain=gedit.desktop;\n"
    "audio/midi=veskmidi.desktop;\n"
    "audio/x-recomposer=other.desktop;veskmidi.desktop;\n"
    "\n"
    "[Added Associations]\n"
    "application/zip=other.desktop;veskmidi.desktop;\n"
    "audio/x-rmid=io.github.veskmidi.VeskMidiPlayer.desktop;veskmidi.desktop;\n"
    "image/png=veskmidi.desktop;\n";

TEST(OldDesktopEntry, IsRenamedOnceTheInstalledEntryIsThere) {
    TempDir dir;
    const QString list = dir.write("config/mimeapps.list", OldList);
    FreedesktopAssociationStore store({dir.file("config"), dir.file("data"), {dir.file("sys")}},
                                      dir.file("prog/veskmidi"));
    Associations associations(store);

    // Not installed yet: the old name is all there is, and it stays.
    EXPECT_TRUE(associations.renameOldEntries());
    EXPECT_EQ(readAll(list), OldList);

    dir.write(QStringLiteral("sys/applications/") + PlayerDesktopId, "[Desktop Entry]\n");
    dir.write("sys/mime/packages/veskmidi.xml", "<mime-info/>\n");
    EXPECT_TRUE(associations.renameOldEntries());
    EXPECT_EQ(readAll(list),
              "# kept as it is\n"
              "[Default Applications]\n"
              "text/plain=gedit.desktop;\n"
              "audio/midi=io.github.veskmidi.VeskMidiPlayer.desktop;\n"
              "audio/x-recomposer=other.desktop;io.github.veskmidi.VeskMidiPlayer.desktop;\n"
              "\n"
              "[Added Associations]\n"
              "application/zip=other.desktop;io.github.veskmidi.VeskMidiPlayer.desktop;\n"
              "audio/x-rmid=io.github.veskmidi.VeskMidiPlayer.desktop;\n"
              // Not a type the player associates: not the player's to change.
              "image/png=veskmidi.desktop;\n");
    EXPECT_TRUE(associations.inForce(0));
    EXPECT_TRUE(associations.inForce(10));
}

}  // namespace
}  // namespace vesk::platform::desktop
