// The render tool stopped by Ctrl-C or a kill while it writes: nothing is left beside the
// output, and the exit status says it did not finish.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "support/temp_dir.h"

namespace vesk::app {
namespace {

// One note held for three hours at 120 BPM, 96 ticks per quarter: minutes of rendering.
QByteArray threeHourSong() {
    const quint32 ticks = 3u * 3600u * 2u * 96u;
    QByteArray delta(1, static_cast<char>(ticks & 0x7F));
    for (quint32 rest = ticks >> 7; rest != 0; rest >>= 7) {
        delta.prepend(static_cast<char>((rest & 0x7F) | 0x80));
    }
    const QByteArray events =
        QByteArray("\x00\x90\x3C\x64", 4) + delta + QByteArray("\x80\x3C\x00\x00\xFF\x2F\x00", 7);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.writeRawData("MThd", 4);
    out << quint32(6) << quint16(0) << quint16(1) << quint16(96);
    out.writeRawData("MTrk", 4);
    out << static_cast<quint32>(events.size());
    out.writeRawData(events.constData(), static_cast<int>(events.size()));
    return bytes;
}

TEST(RenderInterrupt, ASignalLeavesNoTemporaryFileAndNoOutput) {
    for (const int number : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(number);
        test::TempDir dir;
        const QString song = dir.write(QStringLiteral("long.mid"), threeHourSong());
        QProcess render;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir.file("runtime"));
        env.insert("XDG_CONFIG_HOME", dir.file("config"));
        render.setProcessEnvironment(env);
        render.setProcessChannelMode(QProcess::MergedChannels);
        render.start(QStringLiteral(VESK_BINARY),
                     {QStringLiteral("--render"), dir.file("out.wav"), song});
        ASSERT_TRUE(render.waitForStarted(20000));

        // Signalled once the WAV is being written under its temporary name.
        const QDir folder(dir.path());
        const QStringList temporary{QStringLiteral(".out.wav.*")};
        QElapsedTimer waited;
        waited.start();
        while (folder.entryList(temporary, QDir::Files | QDir::Hidden).isEmpty() &&
               render.state() == QProcess::Running && waited.elapsed() < 60000) {
            QThread::msleep(20);
        }
        ASSERT_FALSE(folder.entryList(temporary, QDir::Files | QDir::Hidden).isEmpty())
            << render.readAll().toStdString();
        QThread::msleep(200);
        ASSERT_EQ(render.state(), QProcess::Running) << "the render ended before the signal";

        ::kill(static_cast<pid_t>(render.processId()), number);
        ASSERT_TRUE(render.waitForFinished(20000));
        EXPECT_EQ(render.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(render.exitCode(), 128 + number);
        EXPECT_TRUE(render.readAll().contains("out.wav was not written"));
        EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden), QStringList{"long.mid"});
    }
}

}  // namespace
}  // namespace vesk::app
