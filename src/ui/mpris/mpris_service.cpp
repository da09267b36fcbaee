#include "ui/mpris/mpris_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QLoggingCategory>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "intake/song_entry.h"
#include "platform/file_path.h"
#include "ui/mpris/mpris_adaptors.h"

Q_LOGGING_CATEGORY(lcMpris, "vesk.mpris")

namespace vesk::ui::mpris {
namespace {

QString playbackWord(player::Playback playback) {
    switch (playback) {
        case player::Playback::Playing:
            return QStringLiteral("Playing");
        case player::Playback::Paused:
            return QStringLiteral("Paused");
        case player::Playback::Stopped:
            break;
    }
    return QStringLiteral("Stopped");
}

Speed speedOf(const player::SpeedState& speed) {
    if (speed.doubleSpeed) {
        return Speed::Double;
    }
    return speed.halfSpeed ? Speed::Half : Speed::Normal;
}

}  // namespace

MprisService::MprisService(player::Player& player, MprisHooks hooks, QString desktopEntry)
    : player_(player),
      hooks_(std::move(hooks)),
      desktopEntry_(std::move(desktopEntry)),
      bus_(QStringLiteral("unattached")) {
    new RootAdaptor(this, *this);
    playerAdaptor_ = new PlayerAdaptor(this, *this);
    player_.addObserver(*this);
}

MprisService::~MprisService() {
    player_.removeObserver(*this);
    if (attached_) {
        bus_.unregisterObject(QString::fromLatin1(kObjectPath));
        bus_.unregisterService(QString::fromLatin1(kServiceName));
    }
}

bool MprisService::attach(const QDBusConnection& bus, QString* error) {
    if (!bus.isConnected()) {
        *error = QStringLiteral("no session bus (%1)").arg(bus.lastError().message());
        return false;
    }
    bus_ = bus;
    if (!bus_.registerObject(QString::fromLatin1(kObjectPath), this,
                             QDBusConnection::ExportAdaptors)) {
        *error = QStringLiteral("cannot export %1").arg(QString::fromLatin1(kObjectPath));
        return false;
    }
    if (!bus_.registerService(QString::fromLatin1(kServiceName))) {
        *error = QStringLiteral("the name %1 is taken: %2")
                     .arg(QString::fromLatin1(kServiceName), bus_.lastError().message());
        bus_.unregisterObject(QString::fromLatin1(kObjectPath));
        return false;
    }
    attached_ = true;
    published_ = snapshot();
    return true;
}

void MprisService::raise() {
    if (hooks_.raise) {
        hooks_.raise();
    }
}

void MprisService::quit() {
    if (hooks_.quit) {
        // Not inside the bus call: the quit ends the program.
        QTimer::singleShot(0, this, [this] { hooks_.quit(); });
    }
}

bool MprisService::haveSong() {
    const std::int16_t current = player_.state().currentEntry;
    return player_.sessionOpen() && current >= 0 && current <= player_.state().listLast();
}

bool MprisService::haveSeveral() const {
    return player_.state().listLast() >= 1;
}

QString MprisService::trackId() {
    if (!haveSong()) {
        return QString::fromLatin1(kNoTrack);
    }
    return QStringLiteral("/io/github/veskmidi/VeskMidiPlayer/track/%1")
        .arg(player_.state().currentEntry);
}

Snapshot MprisService::snapshot() {
    Snapshot s;
    s.playbackStatus = playbackWord(player_.playback());
    s.loopStatus = loopStatusOf(player_.repeatMode());
    s.shuffle = player_.repeatMode() == static_cast<std::int16_t>(player::RepeatModes::Shuffle);
    s.rate = rateOf(speedOf(player_.speedInForce()));
    const bool any = player_.state().listLast() >= 0;
    s.canPlay = any;
    s.canPause = any;
    s.canGoNext = haveSeveral();
    s.canGoPrevious = haveSeveral();
    s.canSeek = haveSong() && player_.songLength() > 0;
    s.metadata.insert(QStringLiteral("mpris:trackid"),
                      QVariant::fromValue(QDBusObjectPath(trackId())));
    if (haveSong()) {
        const intake::SongEntry& entry =
            player_.state().playList[static_cast<std::size_t>(player_.state().currentEntry)];
        const bool member = intake::isArchiveMember(entry);
        QString title = player_.songTitle().trimmed();
        if (title.isEmpty()) {
            title = entry.title.trimmed().isEmpty() ? entry.name : entry.title.trimmed();
        }
        s.metadata.insert(QStringLiteral("mpris:length"),
                          QVariant::fromValue(qlonglong{player_.songLength()} * 1000));
        s.metadata.insert(QStringLiteral("xesam:title"), title);
        // A member of an archive has no address of its own: the archive stands for it.
        const QString file = member ? entry.container : entry.container + u'/' + entry.name;
        s.metadata.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(file).toString());
        // The album is where the song came from: its list or its archive.
        const QString source = !entry.source.isEmpty() ? entry.source
                               : member                ? entry.container
                                                       : QString();
        if (!source.isEmpty()) {
            s.metadata.insert(QStringLiteral("xesam:album"),
                              platform::displayPath(source.section(u'/', -1)));
        }
    }
    return s;
}

qlonglong MprisService::positionUs() {
    return haveSong() ? qlonglong{player_.position()} * 1000 : 0;
}

void MprisService::play() {
    if (player_.state().listLast() >= 0 && !player_.isPlaying()) {
        player_.transportPlay();
    }
}

void MprisService::pause() {
    if (player_.isPlaying()) {
        player_.transportPause();
    }
}

void MprisService::playPause() {
    if (player_.isPlaying()) {
        pause();
    } else {
        play();
    }
}

void MprisService::stop() {
    if (player_.state().listLast() >= 0) {
        player_.transportStop();
    }
}

void MprisService::next() {
    if (haveSeveral()) {
        player_.transportNext();
    }
}

void MprisService::previous() {
    if (haveSeveral()) {
        player_.transportBack();
    }
}

void MprisService::seek(qlonglong offsetUs) {
    if (!haveSong() || player_.songLength() <= 0) {
        return;
    }
    const std::optional<std::int32_t> target =
        seekTarget(player_.position(), offsetUs, player_.songLength());
    if (target) {
        player_.seekTo(*target);
    } else {
        next();
    }
}

void MprisService::setPosition(const QString& trackId, qlonglong positionUs) {
    // A position meant for another song, or outside this one, is ignored.
    if (trackId != this->trackId() || !haveSong() || positionUs < 0 ||
        positionUs > qlonglong{player_.songLength()} * 1000) {
        return;
    }
    player_.seekTo(static_cast<std::int32_t>(positionUs / 1000));
}

void MprisService::openUri(const QString& uri) {
    const QUrl url(uri);
    if (!url.isLocalFile()) {
        qCWarning(lcMpris) << "OpenUri: only local files can be opened, not" << uri;
        return;
    }
    player_.takeCommandLine(u'"' + url.toLocalFile() + u'"', true);
}

void MprisService::setLoopStatus(const QString& loop) {
    const std::optional<std::int16_t> repeat = repeatForLoop(player_.repeatMode(), loop);
    if (!repeat) {
        qCWarning(lcMpris) << "LoopStatus: unknown value" << loop;
        return;
    }
    if (*repeat != player_.repeatMode()) {
        player_.repeatCommand(*repeat);
    }
}

void MprisService::setShuffle(bool on) {
    const std::int16_t repeat = repeatForShuffle(player_.repeatMode(), on);
    if (repeat != player_.repeatMode()) {
        player_.repeatCommand(repeat);
    }
}

void MprisService::setRate(double rate) {
    const std::optional<Speed> wanted = speedForRate(rate);
    if (!wanted) {
        // A rate of zero asks for a pause; below zero is no rate at all.
        if (rate == 0.0) {
            pause();
        }
        return;
    }
    switch (commandFor(speedOf(player_.speedInForce()), *wanted)) {
        case SpeedCommand::Double:
            player_.doubleSpeedCommand();
            break;
        case SpeedCommand::Half:
            player_.halfSpeedCommand();
            break;
        case SpeedCommand::None:
            break;
    }
}

void MprisService::playerChanged() {
    // A command tells the observers several times on its way; one announcement follows
    // once it is done.
    if (!attached_ || publishPending_) {
        return;
    }
    publishPending_ = true;
    QTimer::singleShot(0, this, [this] { publish(); });
}

void MprisService::playerSeeked(int positionMs) {
    if (attached_) {
        emit playerAdaptor_->Seeked(qlonglong{positionMs} * 1000);
    }
}

void MprisService::publish() {
    publishPending_ = false;
    const Snapshot now = snapshot();
    const QVariantMap changed = changedProperties(published_, now);
    published_ = now;
    if (changed.isEmpty()) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList{};
    bus_.send(signal);
}

}  // namespace vesk::ui::mpris
