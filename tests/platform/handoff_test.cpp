#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "platform/atomic_file.h"
#include "platform/file_path.h"
#include "platform/handoff.h"
#include "platform/single_instance.h"
#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace vesk::platform {
namespace {

HandoffClock fixedClock(int seconds, std::vector<double> randoms, int* pauses = nullptr) {
    auto queue = std::make_shared<std::vector<double>>(std::move(randoms));
    auto index = std::make_shared<size_t>(0);
    auto stamp = std::make_shared<std::int64_t>(0);
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
            },
            [stamp] { return ++*stamp; }};
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
    EXPECT_EQ(decodeHandoff(test::readAll(stuck))->text, "d");
    EXPECT_EQ(QDir(dir.path()).entryList({"*.File"}, QDir::Files).size(), 4);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4)
        << "no temporary file stays behind";
}

TEST(Handoff, EveryByteOfAPathSurvives) {
    QByteArray everyByte;
    for (int b = 1; b < 256; ++b) {
        everyByte.append(static_cast<char>(b));
    }
    const QString text = u'"' + pathFromBytes("/new\nline/\r%41/\x8B\xC8 " + everyByte) + u'"';
    const QByteArray content = encodeHandoff(text, 7);
    EXPECT_EQ(content.count('\n'), 3) << "the text itself holds no line end";
    const auto back = decodeHandoff(content);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(pathBytes(back->text), pathBytes(text));
    EXPECT_EQ(back->orderStamp, 7);
}

TEST(Handoff, FilesOfTheOlderFormAreStillRead) {
    EXPECT_EQ(decodeHandoff("\"/a.mid\"\r\nsecond line\r\n")->text, "\"/a.mid\"");
    EXPECT_EQ(decodeHandoff(encodeCp932(QStringLiteral("\"/曲.mid\"")) + "\r\n")->text,
              QStringLiteral("\"/曲.mid\""));
    EXPECT_FALSE(decodeHandoff("").has_value());
}

TEST(Handoff, ReaderTakesHandoffsInTheOrderMadeAndLeavesEmptyOnes) {
    test::TempDir dir;
    // Names and file times disagree with the order the hand-offs were made in.
    const std::int64_t now = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    dir.write("1.File", encodeHandoff("third", now + 3));
    dir.write("2.File", encodeHandoff("first", now + 1));
    dir.write("3.File", encodeHandoff("second", now + 2));
    dir.write("old.File", "\"/old.mid\"\r\n");
    {
        // An older-form file goes by its time: this one is older than all the others.
        QFile older(dir.file("old.File"));
        ASSERT_TRUE(older.open(QIODevice::ReadWrite));
        older.setFileTime(QDateTime::currentDateTime().addSecs(-10),
                          QFileDevice::FileModificationTime);
    }
    dir.write("4.File", "");
    dir.write("notes.txt", "not a hand-off");
    dir.write("5.file", "wrong case");

    HandoffInbox inbox;
    EXPECT_EQ(inbox.take(dir.path()), QStringLiteral("\"/old.mid\""));
    EXPECT_EQ(inbox.take(dir.path()), QStringLiteral("first"));
    EXPECT_EQ(inbox.take(dir.path()), QStringLiteral("second"));
    EXPECT_EQ(inbox.take(dir.path()), QStringLiteral("third"));
    EXPECT_EQ(inbox.take(dir.path()), std::nullopt);
    EXPECT_TRUE(QFile::exists(dir.file("4.File")));
    EXPECT_TRUE(QFile::exists(dir.file("notes.txt")));
}

TEST(Handoff, SeparateWritersAreTakenInTheOrderTheyWrote) {
    test::TempDir dir;
    for (int i = 0; i < 20; ++i) {
        // A fresh system clock each time, as each start of the program has its own.
        ASSERT_FALSE(
            writeHandoffFile(dir.path(), QString::number(i), systemHandoffClock()).isEmpty());
    }
    HandoffInbox inbox;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(inbox.take(dir.path()), QString::number(i));
    }
}

TEST(Handoff, PlantedLinksAreNeverFollowed) {
    test::TempDir dir;
    test::TempDir outside;
    const QString folder = dir.file("FileNames");
    const QString victim = outside.write("victim.File", encodeHandoff("\"/planted.mid\"", 1));

    // A link in place of the folder: the writer refuses it and writes nothing there.
    ASSERT_TRUE(QFile::link(outside.path(), folder));
    EXPECT_TRUE(writeHandoffFile(folder, "x", fixedClock(30, {0.5})).isEmpty());
    HandoffInbox refused;
    EXPECT_EQ(refused.take(folder), std::nullopt);
    EXPECT_TRUE(QFile::exists(victim));
    EXPECT_EQ(QDir(outside.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    ASSERT_TRUE(QFile::remove(folder));

    // A link planted in the folder, and the folder swapped for a link while the reader
    // holds it open: neither is followed, and the target is neither read nor deleted.
    HandoffInbox inbox;
    EXPECT_EQ(inbox.take(folder), std::nullopt);
    ASSERT_TRUE(QFile::link(victim, folder + "/9.File"));
    ASSERT_FALSE(writeHandoffFile(folder, "real", fixedClock(30, {0.5})).isEmpty());
    ASSERT_TRUE(QDir().rename(folder, dir.file("held")));
    ASSERT_TRUE(QFile::link(outside.path(), folder));
    EXPECT_EQ(inbox.take(folder), QStringLiteral("real"));
    EXPECT_EQ(inbox.take(folder), std::nullopt);
    EXPECT_TRUE(QFile::exists(victim));
    EXPECT_TRUE(QFileInfo(dir.file("held/9.File")).isSymLink());
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
