// A play list at its limit of 32767 entries (16-bit indices): taking it in from a saved
// list, saving it again and deleting near the top stay responsive, and more is refused
// with a message without losing what the list holds.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdio>
#include <vector>

#include "intake/multi_list.h"
#include "player/play_list.h"
#include "ui/main/song_list.h"
#include "ui/main/window_rig.h"

namespace vesk::ui::test {
namespace {

constexpr int kDistinctSongs = 64;

class Stopwatch {
  public:
    explicit Stopwatch(const char* what) : what_(what) { timer_.start(); }
    ~Stopwatch() {
        const qint64 ms = timer_.elapsed();
        std::printf("[ timing ] %s: %lld ms\n", what_, static_cast<long long>(ms));
        ::testing::Test::RecordProperty(what_, static_cast<int>(ms));
        // Generous: a loaded shared machine, not a benchmark.
        EXPECT_LT(ms, 60000) << what_;
    }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

  private:
    const char* what_;
    QElapsedTimer timer_;
};

TEST(LargeList, FullListTakesInSavesDeletesAndRefusesMore) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    auto* shown = w.findChild<SongList*>("SongList");
    ASSERT_NE(shown, nullptr);

    // The entries cycle through a few real songs; alternating containers keep the file
    // from folding into a handful of blocks.
    std::vector<intake::SongEntry> entries;
    for (int n = 0; n < kDistinctSongs; ++n) {
        const QString name = QStringLiteral("s%1.mid").arg(n);
        rig.song("one/" + name, "One " + QByteArray::number(n));
        rig.song("two/" + name, "Two " + QByteArray::number(n));
    }
    for (int i = 0; i < player::kMaxEntries; ++i) {
        const QString folder = rig.songsFolder() + (i % 2 == 0 ? "/one" : "/two");
        entries.push_back({QStringLiteral("s%1.mid").arg(i % kDistinctSongs), folder, {}});
    }
    const QString listPath = rig.dir.file("big.mlt");
    {
        Stopwatch watch("save 32767 entries");
        ASSERT_TRUE(intake::saveMultiList(listPath, entries).ok);
    }

    {
        Stopwatch watch("add 32767 entries from the saved list");
        rig.dialogs.answers.push_back(listPath);
        w.addFileCommand();
    }
    const auto& list = rig.player->state().playList;
    ASSERT_EQ(list.size(), std::size_t{player::kMaxEntries});
    EXPECT_EQ(shown->count(), player::kMaxEntries);
    EXPECT_TRUE(rig.interaction.shown.empty());
    EXPECT_EQ(list[0].title, "One 0");
    EXPECT_EQ(list[32766].title, "One 62");  // 32766 % 64 == 62, an even entry
    EXPECT_EQ(rig.player->state().listLast(), 32766);

    const QString again = rig.dir.file("again.mlt");
    {
        Stopwatch watch("save the full list again");
        ASSERT_TRUE(intake::saveMultiList(again, list).ok);
    }
    EXPECT_EQ(vesk::test::readAll(again), vesk::test::readAll(listPath));

    {
        Stopwatch watch("delete 5 entries near the top");
        for (int i = 0; i < 5; ++i) {
            rig.player->deleteEntry(1);
        }
    }
    ASSERT_EQ(list.size(), std::size_t{player::kMaxEntries - 5});
    EXPECT_EQ(shown->count(), player::kMaxEntries - 5);
    EXPECT_EQ(list[0].title, "One 0");
    EXPECT_EQ(list[1].title, "One 6");
    EXPECT_EQ(list.back().title, "One 62");

    // Room for five more: the first five of the list come in, the rest are refused with
    // one message, and nothing already there is lost.
    {
        Stopwatch watch("add the list again to a list with room for 5");
        rig.dialogs.answers.push_back(listPath);
        w.addFileCommand();
    }
    ASSERT_EQ(list.size(), std::size_t{player::kMaxEntries});
    EXPECT_EQ(shown->count(), player::kMaxEntries);
    EXPECT_EQ(list[1].title, "One 6");
    EXPECT_EQ(list[32761].title, "One 62");
    EXPECT_EQ(list[32762].title, "One 0");
    EXPECT_EQ(list[32766].title, "One 4");
    ASSERT_EQ(rig.interaction.shown.size(), 1u);
    EXPECT_EQ(rig.interaction.shown[0].text,
              QStringLiteral(
                  "リストに入る曲は32767曲までです。それより後のファイルは追加されませんでした。"));

    // A full list takes nothing more, and still says so.
    rig.dialogs.answers.push_back(rig.songsFolder() + "/one/s0.mid");
    w.addFileCommand();
    EXPECT_EQ(list.size(), std::size_t{player::kMaxEntries});
    EXPECT_EQ(rig.interaction.shown.size(), 2u);
    EXPECT_EQ(list[32766].title, "One 4");

    {
        Stopwatch watch("play the last entry");
        rig.player->playEntry(32766);
    }
    EXPECT_EQ(rig.engine.status(), "playing");
    EXPECT_EQ(w.windowTitle(), "[32767/32767] One 4 - VESK MIDI PLAYER");
}

}  // namespace
}  // namespace vesk::ui::test
