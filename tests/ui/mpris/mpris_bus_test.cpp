// The player core on a private session bus, driven as the desktop drives it: playerctl
// and gdbus in their own processes, the window's state and the engine checked after each
// request, and the announcements read by dbus-monitor.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <memory>

#include "intake/archive_extract.h"
#include "player/player_rig.h"
#include "ui/mpris/mpris_service.h"

namespace vesk::ui::mpris {
namespace {

using player::test::PlayerRig;

void pumpFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

class MprisBus : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"dbus-daemon", "dbus-monitor", "playerctl", "gdbus"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh)";
            }
        }
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(daemon_.waitForReadyRead(5000));
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        bus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address_, QStringLiteral("mpris-test")));
        ASSERT_TRUE(bus_->isConnected());

        rig.addSong("a.mid", "Song A", 60000);
        rig.addSong("b.mid", "Song B", 60000);
        rig.addSong("c.mid", "Song C", 60000);
        p.updateList(-1);
        service_ =
            std::make_unique<MprisService>(p, MprisHooks{[this] { ++raised; }, [this] { ++quits; }},
                                           QStringLiteral("io.github.veskmidi.VeskMidiPlayer"));
        QString error;
        ASSERT_TRUE(service_->attach(*bus_, &error)) << error.toStdString();

        monitor_.setProcessChannelMode(QProcess::MergedChannels);
        monitor_.start("dbus-monitor",
                       {"--address", address_, "type='signal',path='/org/mpris/MediaPlayer2'"});
        ASSERT_TRUE(monitor_.waitForStarted());
        // dbus-monitor reports its own name first; after that it sees every signal.
        ASSERT_TRUE(monitor_.waitForReadyRead(5000));
        monitor_.readAll();
    }

    void TearDown() override {
        service_.reset();
        if (bus_) {
            QDBusConnection::disconnectFromBus(QStringLiteral("mpris-test"));
        }
        for (QProcess* process : {&monitor_, &daemon_}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                process->waitForFinished(3000);
            }
        }
    }

    // Runs a client on the test bus, answering its calls meanwhile; its output, trimmed.
    QString client(const QString& program, const QStringList& args) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
        process.setProcessEnvironment(env);
        process.start(program, args);
        EXPECT_TRUE(process.waitForStarted());
        QElapsedTimer timer;
        timer.start();
        while (!process.waitForFinished(5) && timer.elapsed() < 10000) {
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(process.exitCode(), 0)
            << program.toStdString() << " " << args.join(' ').toStdString() << ": "
            << process.readAllStandardError().toStdString();
        // The announcement of a change follows the command on the event loop.
        pumpFor(30);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    QString ctl(const QStringList& args) {
        return client("playerctl", QStringList{"-p", "veskmidi"} + args);
    }
    QString call(const QString& method, const QStringList& args = {}) {
        return client("gdbus", QStringList{"call", "--session", "-d", kServiceName, "-o",
                                           kObjectPath, "-m", method} +
                                   args);
    }
    QString setProperty(const QString& name, const QString& value) {
        return call("org.freedesktop.DBus.Properties.Set", {kPlayerInterface, name, value});
    }

    // The signals dbus-monitor printed since the last look.
    QString signalsSeen() {
        pumpFor(100);
        monitor_.waitForReadyRead(200);
        return QString::fromUtf8(monitor_.readAll());
    }

    PlayerRig rig;
    player::Player& p = *rig.player;
    int raised = 0;
    int quits = 0;

  private:
    QProcess daemon_;
    QProcess monitor_;
    QString address_;
    std::unique_ptr<QDBusConnection> bus_;
    std::unique_ptr<MprisService> service_;
};

TEST_F(MprisBus, PlayPauseStopAndTheNextSongRunTheTransportAndAreAnnounced) {
    EXPECT_EQ(ctl({"status"}), "Stopped");
    ctl({"play-pause"});
    EXPECT_EQ(p.mainWindow().statusText, "PLAY");
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    EXPECT_EQ(ctl({"status"}), "Playing");
    EXPECT_EQ(ctl({"metadata", "xesam:title"}), "Song A");
    EXPECT_EQ(ctl({"metadata", "mpris:length"}), "60000000");
    EXPECT_TRUE(ctl({"metadata", "xesam:url"}).endsWith("/songs/a.mid"));
    QString seen = signalsSeen();
    EXPECT_TRUE(seen.contains("PlaybackStatus") && seen.contains("\"Playing\""))
        << seen.toStdString();
    EXPECT_TRUE(seen.contains("Song A")) << "metadata announced";

    rig.run(1000);
    ctl({"play-pause"});
    EXPECT_EQ(p.mainWindow().statusText, "PAUSE");
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPaused);
    EXPECT_TRUE(signalsSeen().contains("\"Paused\""));

    ctl({"stop"});
    EXPECT_EQ(p.mainWindow().statusText, "STOP");
    EXPECT_EQ(ctl({"status"}), "Stopped");

    ctl({"play"});
    signalsSeen();
    rig.run(61000);
    EXPECT_EQ(ctl({"status"}), "Playing");
    rig.run(2500);
    EXPECT_EQ(p.state().currentEntry, 1);
    seen = signalsSeen();
    EXPECT_FALSE(seen.contains("\"Stopped\"")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("Song B"));
}

TEST_F(MprisBus, PositionSeekNextAndPreviousMoveAsTheWindowDoesAndSayWhereItWent) {
    ctl({"play"});
    ctl({"position", "30"});
    EXPECT_NEAR(rig.engine.nowPos(), 30000, 1);
    EXPECT_TRUE(signalsSeen().contains("int64 30000000")) << "Seeked";
    ctl({"position", "5-"});
    EXPECT_NEAR(rig.engine.nowPos(), 25000, 1);

    // A position for another song is ignored; one for this song is taken.
    call("org.mpris.MediaPlayer2.Player.SetPosition",
         {"/io/github/veskmidi/VeskMidiPlayer/track/2", "1000000"});
    EXPECT_NEAR(rig.engine.nowPos(), 25000, 1);
    call("org.mpris.MediaPlayer2.Player.SetPosition",
         {"/io/github/veskmidi/VeskMidiPlayer/track/0", "1000000"});
    EXPECT_NEAR(rig.engine.nowPos(), 1000, 1);

    // Seeking past the end goes on to the next song.
    ctl({"position", "100+"});
    EXPECT_EQ(p.state().currentEntry, 1);
    EXPECT_EQ(ctl({"metadata", "xesam:title"}), "Song B");

    ctl({"next"});
    EXPECT_EQ(p.state().currentEntry, 2);
    ctl({"next"});
    EXPECT_EQ(p.state().currentEntry, 0);
    // Back from the first song wraps to the last, as the window's back button does.
    ctl({"previous"});
    EXPECT_EQ(p.state().currentEntry, 2);
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPlaying);
    EXPECT_TRUE(signalsSeen().contains("/io/github/veskmidi/VeskMidiPlayer/track/2"));
}

TEST_F(MprisBus, LoopShuffleAndRateAreTheRepeatAndSpeedMenus) {
    ctl({"loop", "Playlist"});
    EXPECT_EQ(p.repeatMode(), 2);
    EXPECT_TRUE(rig.view.named("repeat").last().startsWith("2/"));
    ctl({"shuffle", "On"});
    EXPECT_EQ(p.repeatMode(), 3);
    EXPECT_EQ(p.state().shuffleOrder.size(), 3u);
    EXPECT_EQ(ctl({"loop"}), "Playlist");
    QString seen = signalsSeen();
    EXPECT_TRUE(seen.contains("LoopStatus") && seen.contains("Shuffle")) << seen.toStdString();

    // Asking for what is in force changes nothing; shuffle off keeps the list repeating.
    ctl({"loop", "Playlist"});
    EXPECT_EQ(p.repeatMode(), 3);
    ctl({"shuffle", "Off"});
    EXPECT_EQ(p.repeatMode(), 2);
    ctl({"loop", "Track"});
    EXPECT_EQ(p.repeatMode(), 1);
    EXPECT_EQ(ctl({"loop"}), "Track");

    ctl({"play"});
    setProperty("Rate", "<2.0>");
    EXPECT_TRUE(p.mainWindow().speed.doubleSpeed);
    EXPECT_TRUE(signalsSeen().contains("double 2"));
    setProperty("Rate", "<0.4>");
    EXPECT_TRUE(p.mainWindow().speed.halfSpeed);
    EXPECT_FALSE(p.mainWindow().speed.doubleSpeed);
    setProperty("Rate", "<1.1>");
    EXPECT_FALSE(p.mainWindow().speed.halfSpeed || p.mainWindow().speed.doubleSpeed);
    // Zero is a pause.
    setProperty("Rate", "<0.0>");
    EXPECT_EQ(rig.engine.lastCommand(), engine::kSessionPaused);
}

TEST_F(MprisBus, RaiseQuitAndOpenUriReachTheWindowAndTheIntake) {
    call("org.mpris.MediaPlayer2.Raise");
    call("org.mpris.MediaPlayer2.Quit");
    pumpFor(20);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(ctl({"metadata", "mpris:trackid"}).contains("/TrackList/NoTrack"));

    // The window takes the file in as it takes a hand-off; nothing playing, it starts.
    const QString path = rig.dir.write("new/d.mid", player::test::songBytes("Song D", 5000));
    call("org.mpris.MediaPlayer2.Player.OpenUri", {"file://" + path});
    ASSERT_EQ(rig.view.named("open"), QStringList{'"' + path + '"'});
    EXPECT_EQ(call("org.mpris.MediaPlayer2.Player.OpenUri", {"http://example.org/x.mid"}), "()");
    EXPECT_EQ(rig.view.named("open").size(), 1);
}

// The album is where the song came from: the list that named it or its archive; a song
// added by itself has none.
TEST_F(MprisBus, AlbumIsTheListOrArchiveTheSongCameFrom) {
    auto metadata = [this] {
        return call("org.freedesktop.DBus.Properties.Get", {kPlayerInterface, "Metadata"});
    };
    p.playEntry(0);
    EXPECT_FALSE(metadata().contains("xesam:album")) << metadata().toStdString();

    p.state().playList[1].source = rig.dir.path() + "/evening.mlt";
    const QString zip = rig.dir.write("pack.zip", "zip");
    rig.dir.write(
        intake::archiveFolder(rig.module.workFolder, zip).mid(rig.dir.path().size() + 1) + "m.mid",
        player::test::songBytes("Song M", 60000));
    p.state().playList.push_back({"m.mid", zip, "Song M", zip});
    p.updateList(-1);
    p.playEntry(1);
    EXPECT_EQ(ctl({"metadata", "xesam:album"}), "evening.mlt");
    EXPECT_TRUE(signalsSeen().contains("evening.mlt")) << "the new album is announced";
    p.playEntry(3);
    EXPECT_EQ(ctl({"metadata", "xesam:title"}), "Song M");
    EXPECT_EQ(ctl({"metadata", "xesam:album"}), "pack.zip");
}

TEST(MprisService, WithoutABusItSaysWhy) {
    PlayerRig rig;
    MprisService service(*rig.player, {}, "x");
    QString error;
    EXPECT_FALSE(service.attach(QDBusConnection(QStringLiteral("none")), &error));
    EXPECT_TRUE(error.contains("no session bus")) << error.toStdString();
}

}  // namespace
}  // namespace vesk::ui::mpris
