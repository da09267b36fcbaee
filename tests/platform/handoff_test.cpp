#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "platform/atomic_file.h"
#include "platform/handoff.h"
#include "platform/single_instance.h"
#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace vesk::platform {
namespace {

HandoffClock fixedClock(int seconds, std::vector<double> randoms, int* pauses = nullptr) {
    auto queue = std::make_shared<std::vector<double>>(std::move(randoms));
    auto index = std::make_shared<size_t>(0);
    return {[seconds] { return seconds; },
            [queue, index] {
                double r = (*queue)[std::min(*index, queue->size() - 1)];
                ++*index;
                return r;
            },
            [pauses] {
                if (pauses != nullptr) {
                    ++*pauses;
                }
            }};
}

TEST(Handoff, WritesOneFileWithTheTextAndCrLf) {
    test::TempDir dir;
    const QString folder = dir.file("FileNames");
    QString path =
        writeHandoffFile(folder, QStringLiteral("\"/music/曲.mid\""), fixedClock(30, {0.5}));
    EXPECT_EQ(path, folder + "/60.File");
    EXPECT_EQ(test::readAll(path), QStringLiteral("\"/music/曲.mid\"\r\n").toUtf8());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(Handoff, TakenNamesAreNotReused) {
    test::TempDir dir;
    int pauses = 0;
    // The second writer draws the same number first and must move on to another.
    QString first = writeHandoffFile(dir.path(), "a", fixedClock(30, {0.5}));
    QString second = writeHandoffFile(dir.path(), "b", fixedClock(30, {0.5, 0.25}, &pauses));
    EXPECT_EQ(first, dir.path() + "/60.File");
    EXPECT_EQ(second, dir.path() + "/120.File");
    EXPECT_EQ(pauses, 1);
    // In second 0 every quotient is 0: the writer keeps waiting for the clock, and when it
    // does not move on, falls back to a name of its own instead of looping for ever.
    QString zero = writeHandoffFile(dir.path(), "c", fixedClock(0, {0.5}));
    QString stuck = writeHandoffFile(dir.path(), "d", fixedClock(0, {0.5}, &pauses));
    EXPECT_EQ(zero, dir.path() + "/0.File");
    EXPECT_FALSE(stuck.isEmpty());
    EXPECT_NE(stuck, zero);
    EXPECT_EQ(test::readAll(stuck), "d\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList({"*.File"}, QDir::Files).size(), 4);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4)
        << "no temporary file stays behind";
}

TEST(Handoff, NumberIsSecondsOverRandom) {
    EXPECT_EQ(handoffNumber(30, 0.5), "60");
    EXPECT_EQ(handoffNumber(0, 0.7), "0");
    EXPECT_EQ(handoffNumber(1, 0.3), "3.33333333333333");
}

TEST(Handoff, ReaderTakesFilesOldestFirstAndLeavesEmptyOnes) {
    test::TempDir dir;
    dir.write("1.File", "\"/a.mid\"\r\nsecond line\r\n");
    dir.write("2.File", encodeCp932(QStringLiteral("\"/曲.mid\"")) + "\r\n");
    {
        // The later name came first: the reader goes by age, not by name.
        QFile older(dir.file("2.File"));
        ASSERT_TRUE(older.open(QIODevice::ReadWrite));
        older.setFileTime(QDateTime::currentDateTime().addSecs(-10),
                          QFileDevice::FileModificationTime);
    }
    dir.write("3.File", "");
    dir.write("notes.txt", "not a hand-off");
    dir.write("4.file", "wrong case");

    EXPECT_EQ(takeHandoffFile(dir.path()), QStringLiteral("\"/曲.mid\""));
    EXPECT_EQ(takeHandoffFile(dir.path()), QStringLiteral("\"/a.mid\""));
    EXPECT_EQ(takeHandoffFile(dir.path()), std::nullopt);
    EXPECT_TRUE(QFile::exists(dir.file("3.File")));
    EXPECT_TRUE(QFile::exists(dir.file("notes.txt")));
    EXPECT_FALSE(QFile::exists(dir.file("1.File")));
    EXPECT_EQ(takeHandoffFile(dir.file("missing")), std::nullopt);
}

TEST(InstanceLockTest, SecondHolderIsRefusedUntilTheFirstEnds) {
    test::TempDir dir;
    const QString lockFile = dir.file("Lock/instance.lock");
    QString error;
    auto first = InstanceLock::tryAcquire(lockFile, &error);
    ASSERT_NE(first, nullptr) << error.toStdString();
    EXPECT_EQ(InstanceLock::tryAcquire(lockFile, &error), nullptr);
    EXPECT_TRUE(error.isEmpty());
    first.reset();
    EXPECT_NE(InstanceLock::tryAcquire(lockFile, &error), nullptr);
}

TEST(AtomicFile, ReplacesWholeAndKeepsLinks) {
    test::TempDir dir;
    const QString target = dir.write("real.ini", "old");
    QFile::link(target, dir.file("link.ini"));
    ASSERT_TRUE(writeFileAtomically(dir.file("link.ini"), "new").ok);
    EXPECT_EQ(test::readAll(target), "new");
    EXPECT_TRUE(QFileInfo(dir.file("link.ini")).isSymLink());

    WriteResult failed = writeFileAtomically(dir.file("no/such/folder/x.ini"), "data");
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
}

}  // namespace
}  // namespace vesk::platform
