#include "player/loader.h"

#include "intake/archive_extract.h"
#include "intake/path_text.h"
#include "platform/file_path.h"
#include "player/play_order.h"
#include "player/player.h"
#include "player/player_log.h"
#include "player/speed.h"

namespace vesk::player {

FileInfoTexts fileInfoTexts(const intake::SongEntry& entry, const QString& copyright,
                            std::int16_t division, std::int16_t format, std::int16_t tracks) {
    FileInfoTexts texts;
    texts.archive = QStringLiteral("書庫名  ") + platform::displayPath(entry.container);
    texts.copyright = QStringLiteral("著作権  ") + copyright;
    texts.division = QStringLiteral("分解能  ") + QString::number(division);
    texts.file = QStringLiteral("ファイル名  ") + platform::displayPath(entry.name);
    texts.format = QStringLiteral("SMFﾌｫｰﾏｯﾄ  ") + QString::number(format);
    texts.tracks = QStringLiteral("トラック数  ") + QString::number(tracks);
    return texts;
}

std::optional<Player::SongFile> Player::prepareSong(const intake::SongEntry& entry) {
    SongFile song;
    const ContainerKind kind = containerKind(entry);
    if (kind == ContainerKind::Folder) {
        if (!platform::isRegularFile(entry.container + u'/' + entry.name)) {
            qCInfo(lcPlayer) << "song file missing, nothing loaded:" << entry.container
                             << entry.name;
            return std::nullopt;
        }
        song.folder = entry.container + u'/';
    } else {
        if (!platform::isRegularFile(entry.container)) {
            qCInfo(lcPlayer) << "archive missing, nothing loaded:" << entry.container;
            return std::nullopt;
        }
        const SongPreparation& prep = services_.preparation;
        const bool extract =
            kind == ContainerKind::Rar
                ? module_.haveRarReader
                : settings_.useLhasa ||
                      (kind == ContainerKind::Lzh ? module_.haveLzhReader : module_.haveZipReader);
        if (extract && prep.extract) {
            prep.extract(entry.container, entry.name, view().ownerWindow());
        }
        song.folder = intake::archiveFolder(module_.workFolder, entry.container);
    }
    song.file = entry.name;
    if (isRecomposerName(entry.name)) {
        const auto& convert = services_.preparation.convertRcp;
        song.file = convert ? convert(song.folder + entry.name) : QString();
        song.folder = module_.workFolder;
    }
    return song;
}

bool Player::playEntry(std::int16_t index) {
    if (index < 0 || index > state_.listLast()) {
        return false;
    }
    state_.previousEntry = state_.currentEntry;
    state_.currentEntry = index;
    const bool shuffle = settings_.repeat == static_cast<std::int16_t>(RepeatModes::Shuffle);
    if (const auto position = positionOfEntry(index, shuffle, state_.shuffleOrder)) {
        state_.playOrderPos = *position;
    }
    engine_.midiClose();

    // A copy: extraction and the reset let events run, and they may change the list.
    const intake::SongEntry entry = state_.playList[static_cast<std::size_t>(index)];
    restartChannels(entry);
    const std::optional<SongFile> song = prepareSong(entry);
    if (inMain()) {
        view().selectLine(state_.currentEntry);
    }
    if (!song || !engine_.setFileName(song->folder + song->file)) {
        showUnplayable(entry);
        return true;
    }
    ++songGeneration_;
    state_.documentPath = findDocument(song->folder, engine_.fileName());

    const int slot = resetDevice();
    state_.slotInUse = slot;
    const std::int16_t device = settings_.deviceSlots[static_cast<std::size_t>(slot)].device;
    if (refusedDevice_ == device) {
        // Refused once already (and told); the session opens on the device in use.
        engine_.midiOpen(engine_.fileName());
    } else {
        engine_.setDevice(device);
    }
    setDeviceShown(slot);
    applySpeedOnLoad();

    setNow(QStringLiteral("00:00"));
    setTitle(shownTitle(entry));
    setTitleLeft(kTitleStartLeft);
    if (inMain()) {
        main_.hasDocument = !state_.documentPath.isEmpty();
    }
    showCaption();
    if (inMain() && main_.infoShown) {
        view().showFileInfo(currentFileInfo());
    }

    state_.playRequested = true;
    state_.stoppedTime = 0;
    setStatus(QStringLiteral("PLAY"));
    setCanPause(true);
    engine_.midiPlay();
    changed();
    return true;
}

void Player::showUnplayable(const intake::SongEntry& entry) {
    // The engine keeps the previous song's header; nothing of it may show as this one's.
    // The list does not move on by itself: a folder of broken files would otherwise loop
    // through one message after another.
    state_.playRequested = false;
    state_.documentPath.clear();
    if (inMain()) {
        main_.hasDocument = false;
    }
    setTitle(shownTitle(entry));
    setTitleLeft(kTitleStartLeft);
    setNow(QStringLiteral("00:00"));
    setTotal(QStringLiteral("00:00"));
    setPositionBar(1);
    showCaption();
    setStatus(QStringLiteral("STOP"));
    setCanPause(false);
    setTrayMenu(true, false, false, false);
    changed();
}

void Player::applySpeedOnLoad() {
    SpeedState& s = speed();
    if (s.doubleSpeed || s.halfSpeed) {
        applySpeed(s);
    }
    setTotal(intake::formatTime(timeAtSpeed(engine_.playTime(), s)));
}

void Player::applySpeed(SpeedState& s) {
    // Without a session the tempo query fails; a tempo of 0 is not written.
    const std::int32_t bpm = engine_.bpm();
    if (bpm <= 0) {
        return;
    }
    s.baseTempo = toTempo16(bpm);
    engine_.setBpm(tempoForSpeed(s.baseTempo, s));
    s.speedTempo = toTempo16(engine_.bpm());
}

void Player::openDocument() {
    if (!state_.documentPath.isEmpty() && services_.openDocument) {
        services_.openDocument(state_.documentPath, module_.programFolder);
    }
}

FileInfoTexts Player::currentFileInfo() {
    const std::int16_t current = state_.currentEntry;
    const intake::SongEntry entry = current >= 0 && current <= state_.listLast()
                                        ? state_.playList[static_cast<std::size_t>(current)]
                                        : intake::SongEntry{};
    return fileInfoTexts(entry, engine_.copyright(), engine_.division(), engine_.format(),
                         engine_.tracks());
}

void Player::setInfoShown(bool shown) {
    main_.infoShown = shown;
}

}  // namespace vesk::player
