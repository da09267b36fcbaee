#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include <QDir>
#include <QFile>

#include "config/config_file.h"
#include "config/settings.h"
#include "platform/text_codec.h"
#include "support/temp_dir.h"

namespace vesk::config {
namespace {

ConfigReadResult read(const QString& body) {
    return readConfig((QStringLiteral("[VESK MIDI INIT FILE]\r\n") + body).toUtf8());
}

TEST(ConfigReader, HeaderMustMatchExactly) {
    EXPECT_FALSE(readConfig(QByteArray()).valid);
    EXPECT_FALSE(readConfig("[vesk midi init file]\r\nTOP=1\r\n").valid);
    EXPECT_FALSE(readConfig(" [VESK MIDI INIT FILE]\r\n").valid);
    EXPECT_FALSE(readConfig("[VESK MIDI INIT FILE] \r\n").valid);
    EXPECT_TRUE(readConfig("[VESK MIDI INIT FILE]").valid);
    EXPECT_TRUE(readConfig("[VESK MIDI INIT FILE]\n").valid);  // LF-only files read too
    EXPECT_TRUE(readConfig("\xEF\xBB\xBF[VESK MIDI INIT FILE]\r\n").valid);
}

TEST(ConfigReader, HeaderOnlyGivesDefaults) {
    ConfigReadResult r = read({});
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.settings, Settings());
    EXPECT_FALSE(r.top.has_value());
    EXPECT_FALSE(r.deviceCommand.has_value());
}

TEST(ConfigReader, KeysAndValuesAreTrimmedAndSplitAtFirstEqualsAndTheLastValueWins) {
    ConfigReadResult r = read(
        "  lhasapath  =  /opt/lha/bin/lha  \r\n"
        "LFILE=/Music/Old\r\n"
        "lfile=/Music/New Songs\r\n"
        "RESETCODE-A=F0 41 10 42 12 40 00 7F 00 41 F7\r\n"
        "KEY-B=SC-88,a=b=c\r\n"
        "no equals sign here\r\n"
        "UNKNOWN=5\r\n"
        "=7\r\n"
        "KEY-B=\tSC-55\xE3\x80\x80\r\n");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.settings.lhasaPath, "/opt/lha/bin/lha");
    EXPECT_EQ(r.settings.lastFile, "/Music/New Songs");
    EXPECT_EQ(r.settings.deviceSlots[0].resetCode, "F0 41 10 42 12 40 00 7F 00 41 F7");
    // Only spaces are trimmed: a tab and an ideographic space belong to the value.
    EXPECT_EQ(r.settings.deviceSlots[1].keywords, QStringLiteral("\tSC-55\u3000"));
}

// Numbers are the value's leading number; 16-bit fields round halves to even and clamp;
// modes outside their menu fall back to none; booleans are any non-zero number.
TEST(ConfigReader, NumericValuesFollowTheLeadingNumberRule) {
    using Field = double (*)(const ConfigReadResult&);
    const Field deviceA = [](const ConfigReadResult& r) {
        return double(r.settings.deviceSlots[0].device);
    };
    const Field deviceB = [](const ConfigReadResult& r) {
        return double(r.settings.deviceSlots[1].device);
    };
    const Field resetA = [](const ConfigReadResult& r) {
        return double(r.settings.deviceSlots[0].resetType);
    };
    const Field repeat = [](const ConfigReadResult& r) { return double(r.settings.repeat); };
    const Field transpose = [](const ConfigReadResult& r) { return double(r.settings.transpose); };
    const Field loops = [](const ConfigReadResult& r) { return double(r.settings.loops); };
    const Field useB = [](const ConfigReadResult& r) { return double(r.settings.useDeviceB); };
    const Field top = [](const ConfigReadResult& r) { return r.top.value_or(-1); };
    const Field topInt = [](const ConfigReadResult& r) { return double(r.settings.top); };
    const std::vector<std::tuple<const char*, Field, double>> rows = {
        {"DEVICE-A=3 (SC-88)", deviceA, 3},
        {"DEVICE-A=-3.5x", deviceA, -4},
        {"DEVICE-A=+7", deviceA, 7},
        {"DEVICE-A=abc", deviceA, 0},
        {"DEVICE-A=-", deviceA, 0},
        {"DEVICE-A=1e5", deviceA, 1},
        {"DEVICE-A=１２", deviceA, 0},
        {"DEVICE-A=99999", deviceA, 32767},
        {"DEVICE-A=-40000", deviceA, -32768},
        {"DEVICE-B=1.5", deviceB, 2},
        {"DEVICE-B=2.5", deviceB, 2},
        {"DEVICE-B=2.6", deviceB, 3},
        {"RESET-A=0.5", resetA, 0},
        {"TOP=.5", top, 0.5},
        {"TOP=1500.75px", top, 1500.75},
        {"TOP=99999999999", topInt, 2147483647},
        {"REPEAT=3", repeat, 3},
        {"REPEAT=2.5", repeat, 2},
        {"REPEAT=4", repeat, 0},
        {"REPEAT=-1", repeat, 0},
        {"REPEAT=70000", repeat, 0},
        {"TRANSPOSE=12", transpose, 12},
        {"TRANSPOSE=-12", transpose, -12},
        {"TRANSPOSE=13", transpose, 0},
        {"TRANSPOSE=x", transpose, 0},
        {"LOOPS=8", loops, 8},
        {"LOOPS=9", loops, 2},
        {"LOOPS=-1", loops, 2},
        {"USEB=2", useB, 1},
        {"USEB=-1", useB, 1},
        {"USEB=0.1", useB, 1},
        {"USEB=yes", useB, 0},
        {"USEB=0", useB, 0},
    };
    for (const auto& [line, field, expected] : rows) {
        EXPECT_DOUBLE_EQ(field(read(QString::fromUtf8(line) + QStringLiteral("\r\n"))), expected)
            << line;
    }
    EXPECT_TRUE(read("USELHASA=1\r\n").settings.useLhasa);
}

TEST(ConfigReader, DeviceNumberIsExactAndDecidesKeyCheck) {
    ConfigReadResult lower = read("DEVICENUMBER=auto\r\n");
    EXPECT_EQ(lower.settings.deviceNumber, "A");
    EXPECT_FALSE(lower.deviceCommand.has_value());

    ConfigReadResult autoChoice = read("KEYCHECK=0\r\nDEVICENUMBER=Auto\r\n");
    EXPECT_EQ(autoChoice.settings.deviceNumber, "Auto");
    EXPECT_TRUE(autoChoice.settings.keyCheck);
    EXPECT_EQ(autoChoice.deviceCommand, QStringLiteral("Auto"));

    ConfigReadResult a = read("KEYCHECK=1\r\nDEVICENUMBER=A\r\n");
    EXPECT_FALSE(a.settings.keyCheck);

    // A KEYCHECK after the device line is read as it stands.
    ConfigReadResult late = read("DEVICENUMBER=B\r\nKEYCHECK=0\r\n");
    EXPECT_EQ(late.settings.deviceNumber, "B");
    EXPECT_FALSE(late.settings.keyCheck);
    EXPECT_EQ(late.keyCheckAfterDevice, false);
    EXPECT_EQ(read("KEYCHECK=0\r\nDEVICENUMBER=B\r\n").keyCheckAfterDevice, std::nullopt);

    ConfigReadResult junk = read("DEVICENUMBER=B\r\nDEVICENUMBER=C\r\n");
    EXPECT_EQ(junk.settings.deviceNumber, "B");
    EXPECT_EQ(junk.deviceCommand, QStringLiteral("B"));
}

TEST(ConfigReader, OldCp932FilesAreRead) {
    QByteArray file = "[VESK MIDI INIT FILE]\r\nLFILE=";
    file += platform::encodeCp932(QStringLiteral("/音楽/ﾐﾃﾞｨ"));
    file += "\r\n";
    EXPECT_EQ(readConfig(file).settings.lastFile, QStringLiteral("/音楽/ﾐﾃﾞｨ"));
}

TEST(ConfigWriter, WritesTheLinesInOrderWithCrLf) {
    Settings s;
    s.top = -150;
    s.lastFile = QStringLiteral("/home/u/曲");
    QList<QByteArray> lines = writeConfig(s).split('\n');
    ASSERT_EQ(lines.size(), 33);  // 32 lines and the empty rest after the last CR LF
    EXPECT_EQ(lines.last(), "");
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        ASSERT_TRUE(lines[i].endsWith('\r')) << i;
        lines[i].chop(1);
    }
    EXPECT_EQ(lines[0], "[VESK MIDI INIT FILE]");
    EXPECT_EQ(lines[1], "TOP=-150");
    EXPECT_EQ(lines[2], "LEFT=2000");
    EXPECT_EQ(lines[3], "REPEAT=0");
    EXPECT_EQ(lines[4], QStringLiteral("LFILE=/home/u/曲").toUtf8());
    EXPECT_EQ(lines[5], "USEB=0");
    EXPECT_EQ(lines[7], "DEVICENUMBER=A");
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(lines[9], "[DEVICE A]");
    EXPECT_EQ(lines[11], "RESETCODE-A=F0 7E 7F 09 01 F7");
    EXPECT_EQ(lines[12], "DEVICE-A=-1");
    EXPECT_EQ(lines[14], "[DEVICE B]");
    EXPECT_EQ(lines[18], "KEY-B=1");
    EXPECT_EQ(lines[20], "[LHASA OPTION]");
    EXPECT_EQ(lines[22], "LHASAPATH=/usr/bin/lha");
    EXPECT_EQ(lines[24], "[SOFT SYNTH]");
}

TEST(ConfigWriter, RoundTripIsStable) {
    Settings s;
    s.top = 1234;
    s.left = -15;
    s.repeat = 3;
    s.lastFile = QStringLiteral("/mnt/データ/MIDI = songs");
    s.useDeviceB = true;
    applyDeviceChoice(s, QStringLiteral("Auto"));
    s.deviceSlots[0] = {QString(), QStringLiteral("F0 41 10 42 12 40 00 7F 00 41 F7"), 1, 0};
    s.deviceSlots[1] = {QStringLiteral("SC-55,MT-32"), QStringLiteral("F0 43 10 4C 00 00 7E 00 F7"),
                        2, 3};
    s.useLhasa = true;
    s.lhasaPath = QStringLiteral("/usr/local/bin/lha");
    s.soundFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
    s.transpose = -7;
    s.lyricsShown = true;
    s.loops = 5;
    s.loopAlways = true;
    s.channelsShown = true;
    ConfigReadResult r = readConfig(writeConfig(s));
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.settings, s);
    EXPECT_EQ(readConfig(writeConfig(r.settings)).settings, s);
}

TEST(ConfigWriter, LineBreaksInValuesCannotSplitTheFile) {
    Settings s;
    s.lastFile = QStringLiteral("/tmp/a\nREPEAT=3");
    ConfigReadResult r = readConfig(writeConfig(s));
    EXPECT_EQ(r.settings.repeat, 0);
    EXPECT_EQ(r.settings.lastFile, "/tmp/a REPEAT=3");
}

TEST(ConfigFile, LocationAndAtomicSave) {
    test::TempDir dir;
    const QString program = dir.path() + QStringLiteral("/bin/");
    const QString user = dir.path() + QStringLiteral("/config");
    QDir().mkpath(program);
    EXPECT_EQ(chooseConfigPath(program, user), QDir(program).filePath("vmidi.ini"));

    // A folder the user cannot write sends the file to the user's configuration folder.
    QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    if (::access(QFile::encodeName(program).constData(), W_OK) != 0) {  // not when root
        EXPECT_EQ(chooseConfigPath(program, user), user + QStringLiteral("/veskmidi/vmidi.ini"));
    }
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // Installed (bin/ beside share/veskmidi/), the user's folder even when bin/ is writable.
    QDir().mkpath(dir.path() + QStringLiteral("/share/veskmidi"));
    EXPECT_EQ(chooseConfigPath(program, user), user + QStringLiteral("/veskmidi/vmidi.ini"));
    QDir(dir.path() + QStringLiteral("/share")).removeRecursively();

    const QString path = user + QStringLiteral("/veskmidi/vmidi.ini");
    EXPECT_FALSE(loadConfigFile(path).exists);
    EXPECT_TRUE(loadConfigFile(path).read.valid);
    Settings s;
    s.repeat = 2;
    ASSERT_TRUE(saveConfigFile(path, s).ok);
    ConfigLoad load = loadConfigFile(path);
    EXPECT_TRUE(load.exists);
    EXPECT_EQ(load.read.settings.repeat, 2);
    EXPECT_EQ(QDir(user + QStringLiteral("/veskmidi")).entryList(QDir::Files).size(), 1)
        << "no temporary file is left beside the configuration";
}

// A FIFO (nothing ever writes to it) and a link to an endless device: each is refused at
// once, by name, instead of hanging or filling memory.
TEST(ConfigFile, RefusesWhatIsNotARegularFile) {
    test::TempDir dir;
    const QString fifo = dir.file("fifo/vmidi.ini");
    ASSERT_TRUE(QDir().mkpath(dir.file("fifo")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.file("zero/vmidi.ini");
    ASSERT_TRUE(QDir().mkpath(dir.file("zero")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    for (const QString& path : {fifo, zero}) {
        const ConfigLoad load = loadConfigFile(path);
        EXPECT_TRUE(load.exists);
        EXPECT_FALSE(load.read.valid);
        EXPECT_TRUE(load.refusal.contains(path)) << load.refusal.toStdString();
    }
    // Larger than any settings file: refused without reading it all.
    const QString big =
        dir.write("big/vmidi.ini", "[VESK MIDI INIT FILE]\r\n" + QByteArray(2 << 20, ' '));
    EXPECT_FALSE(loadConfigFile(big).read.valid);
    EXPECT_FALSE(loadConfigFile(big).refusal.isEmpty());
}

}  // namespace
}  // namespace vesk::config
