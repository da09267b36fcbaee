// The association rows and their operations, on a store kept in memory.
#include <gtest/gtest.h>

#include "platform/desktop/associations.h"
#include "support/memory_association_store.h"

namespace vesk::platform::desktop {
namespace {

using support::MemoryAssociationStore;

constexpr int Mid = 0;
constexpr int Midi = 1;
constexpr int Rcp = 3;
constexpr int Lzh = 9;
constexpr int Zip = 10;

QString defaultOf(MemoryAssociationStore& store, const char* type) {
    return store.readValue(QLatin1String(type), {});
}

TEST(AssociationRows, SharedTypesAndDesktopLists) {
    EXPECT_EQ(rowsSharingType(Mid), (std::vector<int>{0, 1}));
    EXPECT_EQ(rowsSharingType(2), (std::vector<int>{2}));
    EXPECT_EQ(rowsSharingType(6), (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_EQ(rowsSharingType(Zip), (std::vector<int>{10}));
    EXPECT_TRUE(rowsSharingType(12).empty());
    EXPECT_EQ(firstDesktopId(QStringLiteral(" a.desktop ;b.desktop;")), "a.desktop");
    EXPECT_EQ(firstDesktopId(QStringLiteral(";;")), "");
}

TEST(Associations, RemovingWithoutBackupFailsAfterClearingTheDefault) {
    MemoryAssociationStore store;
    store.entries["audio/midi"][""] = "io.github.veskmidi.VeskMidiPlayer.desktop";
    Associations assoc(store);
    EXPECT_TRUE(assoc.inForce(Mid));
    EXPECT_FALSE(assoc.removeAssociation(Mid));
    EXPECT_EQ(defaultOf(store, "audio/midi"), "");
}

TEST(Associations, FailedWritesAreReportedButTheOthersAreStillMade) {
    MemoryAssociationStore store;
    store.installWorks = false;
    Associations assoc(store);
    EXPECT_FALSE(assoc.setAssociation(8));
    EXPECT_EQ(defaultOf(store, "audio/x-vesk-multilist"),
              "io.github.veskmidi.VeskMidiPlayer.desktop;");

    store.failing.insert("audio/midi");
    store.installWorks = true;
    EXPECT_FALSE(assoc.setAssociation(Mid));
    EXPECT_FALSE(assoc.setAssociation(Lzh)) << "rows 9 to 11 are no full association";
    EXPECT_FALSE(assoc.addArchiveVerb(Mid));
}

TEST(Associations, ArchiveVerbJoinsAndLeavesTheOpenWithList) {
    MemoryAssociationStore store;
    store.entries[".zip"][""] = "application/zip";
    store.entries["application/zip"][AddedEntry] = "ark.desktop;";
    store.entries["application/zip"][RemovedEntry] =
        "io.github.veskmidi.VeskMidiPlayer.desktop;xarchiver.desktop;";
    Associations assoc(store);
    EXPECT_FALSE(assoc.inForce(Zip));
    ASSERT_TRUE(assoc.addArchiveVerb(Zip));
    EXPECT_EQ(store.readValue("application/zip", AddedEntry),
              "ark.desktop;io.github.veskmidi.VeskMidiPlayer.desktop;");
    EXPECT_EQ(store.readValue("application/zip", RemovedEntry), "xarchiver.desktop;");
    EXPECT_TRUE(assoc.inForce(Zip));
    ASSERT_TRUE(assoc.addArchiveVerb(Zip));
    EXPECT_EQ(store.readValue("application/zip", AddedEntry),
              "ark.desktop;io.github.veskmidi.VeskMidiPlayer.desktop;");

    ASSERT_TRUE(assoc.removeArchiveVerb(Zip));
    EXPECT_EQ(store.readValue("application/zip", AddedEntry), "ark.desktop;");
    EXPECT_FALSE(assoc.inForce(Zip));
}

TEST(Associations, ArchiveWithoutAKnownTypeCannotTakeTheVerb) {
    MemoryAssociationStore store;
    Associations assoc(store);
    EXPECT_FALSE(assoc.addArchiveVerb(Lzh));
    EXPECT_FALSE(assoc.removeArchiveVerb(Lzh));
    EXPECT_FALSE(assoc.inForce(Lzh));
    EXPECT_TRUE(store.log.isEmpty()) << "nothing is written under an empty type";
}

}  // namespace
}  // namespace vesk::platform::desktop
