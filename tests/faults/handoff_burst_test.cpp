// A burst of hand-offs from many second starts while the user adds a folder: every one is
// taken in whole, one per monitor tick, and none is lost.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/handoff.h"
#include "player/play_list.h"
#include "ui/main/song_list.h"
#include "ui/main/window_rig.h"

namespace vesk::ui::test {
namespace {

constexpr int kWriters = 5;
constexpr int kPerWriter = 100;
constexpr int kHandoffs = kWriters * kPerWriter;
constexpr int kFolderSongs = 200;

QString handoffName(int writer, int n) {
    return QStringLiteral("h%1-%2.mid").arg(writer).arg(n);
}

TEST(HandoffBurst, FiveHundredHandOffsDuringAnAddAreAllTakenInWhole) {
    WindowRig rig;
    PlayerWindow& w = rig.open();
    rig.openSongs(2);

    // Long paths make a half-written file easy to tell: it would name no song.
    const QString deep = "burst/" + QString(120, u'd') + "/";
    for (int t = 0; t < kWriters; ++t) {
        for (int n = 0; n < kPerWriter; ++n) {
            rig.song(deep + handoffName(t, n), "H");
        }
    }
    for (int n = 0; n < kFolderSongs; ++n) {
        rig.dir.write(QStringLiteral("folder/f%1.mid").arg(n, 3, 10, QChar(u'0')),
                      songBytes("F" + QByteArray::number(n)));
    }
    const QString handoffFolder = rig.module.handoffFolder;
    const QString songs = rig.songsFolder() + "/" + deep;

    std::atomic<int> written{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> writers;
    QElapsedTimer timer;
    timer.start();
    for (int t = 0; t < kWriters; ++t) {
        writers.emplace_back([&, t] {
            const platform::HandoffClock clock = platform::systemHandoffClock();
            for (int n = 0; n < kPerWriter; ++n) {
                const QString line = '"' + songs + handoffName(t, n) + '"';
                if (platform::writeHandoffFile(handoffFolder, line, clock).isEmpty()) {
                    ++refused;
                } else {
                    ++written;
                }
            }
        });
    }

    // Some ticks before the add, some while it runs (the progress window is up), the rest
    // after it.
    int ticks = 0;
    auto tick = [&] {
        rig.player->monitorTick(250);
        ++ticks;
    };
    for (int i = 0; i < 100; ++i) {
        tick();
    }
    // At least a few hand-offs surely arrive while the add is under way.
    constexpr int kDuringAdd = 3;
    rig.windows.onProgress = [&](QWidget*) {
        for (int n = 0; n < kDuringAdd; ++n) {
            const QString line = '"' + rig.song(QStringLiteral("hx-%1.mid").arg(n), "H") + '"';
            ASSERT_FALSE(
                platform::writeHandoffFile(handoffFolder, line, platform::systemHandoffClock())
                    .isEmpty());
        }
        for (int i = 0; i < 50; ++i) {
            tick();
        }
    };
    rig.dialogs.answers.push_back(rig.dir.path() + "/folder");
    w.addFolderCommand();
    rig.windows.onProgress = nullptr;

    // The budget counts from when the writers are done: on a loaded machine they may still
    // be writing after any fixed number of ticks.
    const int tickLimit = 20 * kHandoffs;
    int ticksAfterWriting = 0;
    while (ticksAfterWriting < tickLimit) {
        const bool writing = written + refused < kHandoffs;
        if (!writing && QDir(handoffFolder).isEmpty()) {
            break;
        }
        tick();
        ticksAfterWriting += writing ? 0 : 1;
    }
    for (auto& writer : writers) {
        writer.join();
    }
    const double ms = static_cast<double>(timer.elapsed());
    std::printf("[ timing ] %d hand-offs taken in over %d ticks in %.0f ms\n", kHandoffs, ticks,
                ms);
    ::testing::Test::RecordProperty("handoff_burst_ms", static_cast<int>(ms));

    EXPECT_EQ(refused, 0);
    EXPECT_EQ(written, kHandoffs);
    EXPECT_LT(ticksAfterWriting, tickLimit) << "hand-offs still waiting";
    EXPECT_TRUE(QDir(handoffFolder).isEmpty())
        << QDir(handoffFolder)
               .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
               .join(", ")
               .toStdString();

    QSet<QString> handedIn;
    int folderEntries = 0;
    for (const auto& entry : rig.player->state().playList) {
        if (entry.container.endsWith("/folder")) {
            ++folderEntries;
        } else if (entry.name.startsWith('h')) {
            EXPECT_FALSE(handedIn.contains(entry.name)) << "twice: " << entry.name.toStdString();
            handedIn.insert(entry.name);
            EXPECT_EQ(entry.title, "H");
        }
    }
    EXPECT_EQ(handedIn.size(), kHandoffs + kDuringAdd);
    EXPECT_EQ(folderEntries, kFolderSongs);
    EXPECT_EQ(rig.player->state().playList.size(),
              std::size_t{2 + kHandoffs + kDuringAdd + kFolderSongs});
    for (const auto& shown : rig.interaction.shown) {
        ADD_FAILURE() << "message: " << shown.text.toStdString();
    }
    // The list the window shows is the play list, line for line, with no line twice.
    const auto* shown = w.findChild<SongList*>("SongList");
    const auto& list = rig.player->state().playList;
    ASSERT_EQ(shown->count(), static_cast<int>(list.size()));
    for (int i = 0; i < shown->count(); ++i) {
        ASSERT_EQ(shown->item(i)->text(), player::listLine(static_cast<std::int16_t>(i),
                                                           list[static_cast<std::size_t>(i)].title))
            << "line " << i;
    }
}

}  // namespace
}  // namespace vesk::ui::test
