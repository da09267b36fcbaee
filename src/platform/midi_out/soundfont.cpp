#include "platform/midi_out/soundfont.h"

#include <QFile>
#include <QFileInfo>

#include "platform/midi_out/fluid_handles.h"

namespace vesk::platform::midiout {

QStringList standardSoundFonts() {
    return {QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2"),
            QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2"),
            QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2")};
}

QString resolveSoundFont(const QString& configured, const QStringList& candidates) {
    if (!configured.isEmpty()) {
        return configured;
    }
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return {};
}

SoundFontCheck checkSoundFontFile(const QString& path) {
    if (path.isEmpty()) {
        return {false, QStringLiteral("SoundFont が見つかりません。")};
    }
    QFileInfo info(path);
    if (!info.exists()) {
        return {false, QStringLiteral("SoundFont ファイルがありません: %1").arg(path)};
    }
    if (!info.isFile()) {
        return {false, QStringLiteral("SoundFont ではなくフォルダーです: %1").arg(path)};
    }
    if (!info.isReadable()) {
        return {false, QStringLiteral("SoundFont ファイルを読めません: %1").arg(path)};
    }
    // Checked here so that FluidSynth does not hand a foreign file to its other loaders,
    // which complain on the terminal.
    if (!fluid_is_soundfont(QFile::encodeName(path).constData())) {
        return {false, QStringLiteral("SoundFont ではありません: %1").arg(path)};
    }
    return {true, {}};
}

QString soundFontLoadFailure(const QString& path) {
    return QStringLiteral("SoundFont として読み込めません: %1").arg(path);
}

SoundFontCheck checkSoundFont(const QString& path) {
    SoundFontCheck file = checkSoundFontFile(path);
    if (!file.ok) {
        return file;
    }
    routeFluidLog();
    FluidSettingsPtr settings(new_fluid_settings());
    if (!settings) {
        return {false, QStringLiteral("シンセサイザーを準備できません。")};
    }
    // Only the preset tables are read; the samples stay on disk, so large files check fast.
    fluidOk(fluid_settings_setint(settings.get(), "synth.dynamic-sample-loading", 1),
            "fluid_settings_setint synth.dynamic-sample-loading");
    FluidSynthPtr synth(new_fluid_synth(settings.get()));
    if (!synth) {
        return {false, QStringLiteral("シンセサイザーを準備できません。")};
    }
    QByteArray native = QFile::encodeName(path);
    if (fluid_synth_sfload(synth.get(), native.constData(), 0) == FLUID_FAILED) {
        return {false, soundFontLoadFailure(path)};
    }
    return {true, {}};
}

}  // namespace vesk::platform::midiout
