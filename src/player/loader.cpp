#include "player/loader.h"

#include <QFileInfo>

#include "intake/path_text.h"
#include "player/play_order.h"
#include "player/player.h"
#include "player/player_log.h"
#include "player/speed.h"

namespace vesk::player {

FileInfoTexts fileInfoTexts(const intake::SongEntry& entry, const QString& copyright,
                            std::int16_t division, std::int16_t format, std::int16_t tracks) {
    FileInfoTexts texts;
    texts.Arch = QStringLiteral("書庫名  ") + entry.Container;
    texts.Copy = QStringLiteral("著作権  ") + copyright;
    texts.Div = QStringLiteral("分解能  ") + QString::number(division);
    texts.File = QStringLiteral("ファイル名  ") + entry.Name;
    texts.Smf = QStringLiteral("SMFﾌｫｰﾏｯﾄ  ") + QString::number(format);
    texts.Trk = QStringLiteral("トラック数  ") + QString::number(tracks);
    return texts;
}

std::optional<Player::SongFile> Player::prepareSong(const intake::SongEntry& entry) {
    SongFile song;
    const ContainerKind kind = containerKind(entry);
    if (kind == ContainerKind::Folder) {
        if (!QFileInfo(entry.Container + u'/' + entry.Name).isFile()) {
            qCInfo(lcPlayer) << "song file missing, nothing loaded:" << entry.Container
                             << entry.Name;
            return std::nullopt;
        }
        song.folder = entry.Container + u'/';
    } else {
        if (!QFileInfo(entry.Container).isFile()) {
            qCInfo(lcPlayer) << "archive missing, nothing loaded:" << entry.Container;
            return std::nullopt;
        }
        bool extract = false;
        const SongPreparation& prep = services_.preparation;
        if (kind == ContainerKind::Rar) {
            extract = module_.HaveUnrar;
        } else {
            // Without the library, the archiver program has the member unpacked already
            // when it unpacked this archive last.
            const QString lastLhasa = prep.lastLhasaArchive ? prep.lastLhasaArchive() : QString();
            const bool haveLibrary =
                kind == ContainerKind::Lzh ? module_.HaveUnlha32 : module_.HaveUnzip32;
            extract = (entry.Container != lastLhasa && settings_.UseLhasa) || haveLibrary;
        }
        if (extract && prep.extract) {
            prep.extract(entry.Container, entry.Name, view().ownerWindow());
        }
        song.folder = module_.WorkFolder;
    }
    song.file = entry.Name;
    if (isRecomposerName(entry.Name)) {
        const auto& convert = services_.preparation.convertRcp;
        song.file = convert ? convert(song.folder + entry.Name) : QString();
        song.folder = module_.WorkFolder;
    }
    return song;
}

void Player::PlayEntry(std::int16_t index) {
    if (index < 0 || index > state_.ListLast()) {
        return;
    }
    state_.PreviousEntry = state_.CurrentEntry;
    state_.CurrentEntry = index;
    const bool shuffle = settings_.Repeat == static_cast<std::int16_t>(RepeatModes::Shuffle);
    if (const auto position = positionOfEntry(index, shuffle, state_.ShuffleOrder)) {
        state_.PlayOrderPos = *position;
    }
    engine_.MidiClose();

    // A copy: extraction and the reset let events run, and they may change the list.
    const intake::SongEntry entry = state_.PlayList[static_cast<std::size_t>(index)];
    const std::optional<SongFile> song = prepareSong(entry);
    if (!song) {
        return;
    }
    engine_.setFileName(song->folder + song->file);

    if (inMain()) {
        view().selectLine(state_.CurrentEntry);
    }
    state_.DocumentPath = findDocument(song->folder, engine_.FileName());

    const int slot = ResetDevice();
    state_.SlotInUse = slot;
    const std::int16_t device = settings_.Slot[static_cast<std::size_t>(slot)].Device;
    if (refusedDevice_ == device) {
        // Refused once already (and told); the session opens on the device in use.
        engine_.MidiOpen(engine_.FileName());
    } else {
        engine_.setDevice(device);
    }
    setDeviceShown(slot);
    applySpeedOnLoad();

    setNow(QStringLiteral("00:00"));
    setTitle(entry.Title);
    setTitleLeft(kTitleStartLeft);
    if (inMain()) {
        main_.HasDocument = !state_.DocumentPath.isEmpty();
    }
    showCaption();
    if (inMain() && main_.InfoShown) {
        view().showFileInfo(currentFileInfo());
    }

    state_.PlayRequested = true;
    state_.StoppedTime = 0;
    setStatus(QStringLiteral("PLAY"));
    engine_.MidiPlay();
    view().stateChanged();
}

void Player::applySpeedOnLoad() {
    SpeedState& s = speed();
    if (s.Double || s.Half) {
        applySpeed(s);
    }
    setTotal(intake::FormatTime(timeAtSpeed(engine_.PlayTime(), s)));
}

void Player::applySpeed(SpeedState& s) {
    // Without a session the tempo query fails; a tempo of 0 is not written.
    const std::int32_t bpm = engine_.Bpm();
    if (bpm <= 0) {
        return;
    }
    s.BaseTempo = toTempo16(bpm);
    engine_.setBpm(tempoForSpeed(s.BaseTempo, s));
    s.SpeedTempo = toTempo16(engine_.Bpm());
}

void Player::OpenDocument() {
    if (!state_.DocumentPath.isEmpty() && services_.openDocument) {
        services_.openDocument(state_.DocumentPath, module_.ProgramFolder);
    }
}

FileInfoTexts Player::currentFileInfo() {
    const std::int16_t current = state_.CurrentEntry;
    const intake::SongEntry entry = current >= 0 && current <= state_.ListLast()
                                        ? state_.PlayList[static_cast<std::size_t>(current)]
                                        : intake::SongEntry{};
    return fileInfoTexts(entry, engine_.Copyright(), engine_.Division(), engine_.Format(),
                         engine_.Tracks());
}

void Player::setInfoShown(bool shown) {
    main_.InfoShown = shown;
}

}  // namespace vesk::player
