#pragma once
// The player's persistent settings and the text of "vmidi.ini". Reading and writing are
// pure functions over the file's bytes; where the file lives is start-up's business.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace vesk::config {

// One MIDI output configuration: slot 0 is device A, slot 1 device B.
struct DeviceSlot {
    QString keywords;  // comma-separated keywords (slot B only is stored)
    QString resetCode;
    std::int16_t resetType = 0;  // 0 GM, 1 GS, 2 XG, 3 other, 4 none
    std::int16_t device = -1;

    bool operator==(const DeviceSlot&) const = default;
};

struct Settings {
    std::int32_t top = 2000;   // twips
    std::int32_t left = 2000;  // twips
    std::int16_t repeat = 0;
    QString lastFile;
    bool useDeviceB = false;
    bool keyCheck = false;
    QString deviceNumber = QStringLiteral("A");
    std::array<DeviceSlot, 2> deviceSlots{
        DeviceSlot{QString(), QStringLiteral("F0 7E 7F 09 01 F7"), 0, -1},
        DeviceSlot{QStringLiteral("1"), QStringLiteral("1"), 1, 1}};
    bool useLhasa = false;
    QString lhasaPath = QStringLiteral("/usr/bin/lha");
    // The built-in synthesizer; empty means the automatic choice.
    QString soundFont;
    QString audioDriver;
    // Semitones every song is moved by (-12..12), and whether the lyrics and channel
    // windows are open.
    std::int16_t transpose = 0;
    bool lyricsShown = false;
    // Passes of a song's marked loop before it fades out (1..8; 0: songs play as written),
    // and whether loops apply to every song or only while one song repeats.
    std::int16_t loops = 2;
    bool loopAlways = false;
    bool channelsShown = false;

    bool operator==(const Settings&) const = default;
};

inline constexpr char ConfigHeader[] = "[VESK MIDI INIT FILE]";
inline constexpr char ConfigFileName[] = "vmidi.ini";

struct ConfigReadResult {
    bool valid = false;  // false: the header is wrong or the file is empty
    Settings settings;
    // Where the file asked the main window to be (the number as read); unset when the
    // file has no TOP / LEFT line.
    std::optional<double> top;
    std::optional<double> left;
    // The last valid DEVICENUMBER ("A", "B" or "Auto"): the device command to run.
    std::optional<QString> deviceCommand;
    // A KEYCHECK line after that DEVICENUMBER line: it wins over the device command's own
    // setting, so it is applied again after the command runs.
    std::optional<bool> keyCheckAfterDevice;
};

// Reads the file's bytes (UTF-8, or CP932 as older versions wrote it).
ConfigReadResult readConfig(const QByteArray& bytes);

// The file's text: the 23 lines in their order, then the synthesizer section; CR LF, UTF-8.
QByteArray writeConfig(const Settings& settings);

// The leading decimal number of a value (optional sign, optional fraction), 0 when the
// value does not start with one.
double leadingNumber(const QString& value);

// Rounds to the nearest integer, halves to the even neighbour, clamped to 16 bits.
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);

// What choosing device A, B or the automatic choice does to the stored settings.
void applyDeviceChoice(Settings& settings, const QString& choice);

}  // namespace vesk::config
