// The demo songs under demo/ must read like any song the player meets: title and
// copyright from the header scan, a length from the sequencer, and the list that opens
// them must be a valid multi-list file.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <set>

#include "app/tools/info_tool.h"
#include "platform/clock.h"
#include "sequencer/sequencer_backend.h"
#include "sequencer/smf_reader.h"
#include "support/recording_midi_output.h"
#include "support/temp_dir.h"

namespace vesk {
namespace {

QString demoDir() {
    return QDir(QStringLiteral(VESK_TEST_DATA "/../../demo")).absolutePath();
}

QString demoFile(const QString& name) {
    return QDir(demoDir()).filePath(name);
}

struct DemoSong {
    QString file;
    QString title;
};

const std::vector<DemoSong>& demoSongs() {
    static const std::vector<DemoSong> songs = {
        {QStringLiteral("night_drive.mid"), QStringLiteral("Night Drive")},
        {QStringLiteral("ode_to_joy.mid"), QStringLiteral("Ode to Joy")},
        {QStringLiteral("sakura.mid"), QStringLiteral("さくらさくら")},
    };
    return songs;
}

TEST(DemoSongs, InfoToolFindsTitleCopyrightAndTwentyToFortySeconds) {
    platform::RecordingMidiOutputService noDevices(0);
    platform::SteadyClock clock;
    sequencer::SequencerBackend backend(noDevices, clock,
                                        sequencer::SequencerBackend::Drive::Manual);
    QStringList files;
    for (const DemoSong& song : demoSongs()) {
        files << demoFile(song.file);
    }
    QByteArray outBytes;
    QByteArray errBytes;
    QTextStream out(&outBytes);
    QTextStream err(&errBytes);
    ASSERT_EQ(app::runInfoTool(files, backend, out, err), 0) << errBytes.toStdString();
    out.flush();
    const QStringList lines = QString::fromUtf8(outBytes).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), files.size());
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(u'\t');
        ASSERT_EQ(fields.size(), 7) << lines[i].toStdString();
        EXPECT_EQ(fields.mid(0, 4), (QStringList{files[i], "1", fields[2], "480"}));
        EXPECT_GE(fields[2].toInt(), 5) << "tracks";
        EXPECT_TRUE(fields[6].contains(QStringLiteral("VESK MIDI PLAYER"))) << "copyright";
        const int length = fields[4].toInt();
        EXPECT_GE(length, 20000) << lines[i].toStdString();
        EXPECT_LE(length, 40000) << lines[i].toStdString();
        EXPECT_EQ(fields[5], demoSongs()[static_cast<std::size_t>(i)].title);
    }
    // The Japanese title is stored in Shift-JIS, as files from Japanese systems are.
    const QByteArray sakura = test::readAll(demoFile(QStringLiteral("sakura.mid")));
    EXPECT_TRUE(sakura.contains(QByteArray("\x82\xb3\x82\xad\x82\xe7\x82\xb3\x82\xad\x82\xe7")));
}

TEST(DemoSongs, EachHasMelodyBassAndDrumsAfterAGsResetAndChangesTempo) {
    const QByteArray gsReset("\xF0\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7", 11);
    for (const DemoSong& song : demoSongs()) {
        SCOPED_TRACE(song.file.toStdString());
        const QByteArray bytes = test::readAll(demoFile(song.file));
        sequencer::Song parsed;
        ASSERT_EQ(sequencer::readSmf({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())},
                                     parsed),
                  sequencer::SequencerError::None);
        EXPECT_EQ(parsed.damage, sequencer::kDamageNone);
        std::set<int> channelsWithNotes;
        std::set<int> lowNotesOnMelodicChannels;
        std::uint32_t firstNote = UINT32_MAX;
        std::uint32_t resetTick = UINT32_MAX;
        int tempoEvents = 0;
        for (const sequencer::SongEvent& event : parsed.events) {
            if (event.isNoteOn()) {
                const int channel = event.status & 0x0F;
                channelsWithNotes.insert(channel);
                if (channel != 9 && event.data1 < 48) {
                    lowNotesOnMelodicChannels.insert(channel);
                }
                firstNote = std::min(firstNote, event.tick);
            } else if (event.isSysEx()) {
                const sequencer::Blob blob = parsed.blobs[event.blob];
                const QByteArray data(
                    reinterpret_cast<const char*>(parsed.payload.data() + blob.offset),
                    static_cast<qsizetype>(blob.size));
                if (gsReset.endsWith(data) && data.size() >= 10) {
                    resetTick = std::min(resetTick, event.tick);
                }
            } else if (event.isMeta() && event.data1 == 0x51) {
                ++tempoEvents;
            }
        }
        EXPECT_TRUE(channelsWithNotes.count(9)) << "no drums";
        EXPECT_GE(channelsWithNotes.size(), 4u);
        EXPECT_FALSE(lowNotesOnMelodicChannels.empty()) << "no bass line";
        EXPECT_EQ(resetTick, 0u);
        EXPECT_LT(resetTick, firstNote);
        EXPECT_GE(tempoEvents, 3);
    }
}

TEST(DemoSongs, ListNamesEverySongRelativeToItsOwnFolder) {
    const QByteArray list = test::readAll(demoFile(QStringLiteral("demo.mlt")));
    ASSERT_FALSE(list.isEmpty());
    EXPECT_TRUE(list.endsWith("\r\n"));
    const QList<QByteArray> lines = list.chopped(2).split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].endsWith('\r')) << lines[i].toStdString();
    }
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0].trimmed(), "MultiListFile Copyright(C)Studio Tavorin");
    EXPECT_EQ(lines[1].trimmed(), "APP HERE");
    QStringList named;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QString line = QString::fromLatin1(lines[i]).trimmed();
        if (line.compare(QStringLiteral("END APP"), Qt::CaseInsensitive) == 0) {
            EXPECT_EQ(i, lines.size() - 1);
            continue;
        }
        EXPECT_TRUE(QFileInfo::exists(demoFile(line))) << line.toStdString();
        named << line;
    }
    QStringList expected;
    for (const DemoSong& song : demoSongs()) {
        expected << song.file;
    }
    EXPECT_EQ(named, expected);
    // Every song of the folder is in the list.
    EXPECT_EQ(QDir(demoDir()).entryList({QStringLiteral("*.mid")}, QDir::Files, QDir::Name),
              expected);
}

TEST(DemoSongs, CheckedInFilesMatchTheirGenerator) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        GTEST_SKIP() << "python3 is not installed";
    }
    test::TempDir dir;
    QProcess generator;
    generator.start(
        python, {QStringLiteral(VESK_TEST_DATA "/../../scripts/make-demo-songs.py"), dir.path()});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files)) {
        EXPECT_EQ(test::readAll(dir.file(name)), test::readAll(demoFile(name)))
            << name.toStdString() << " differs: run scripts/make-demo-songs.py";
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
}

}  // namespace
}  // namespace vesk
