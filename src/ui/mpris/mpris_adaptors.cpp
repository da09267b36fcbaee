#include "ui/mpris/mpris_adaptors.h"

#include "ui/mpris/mpris_service.h"

namespace vesk::ui::mpris {

RootAdaptor::RootAdaptor(QObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service) {}

QString RootAdaptor::identity() const {
    return QStringLiteral("VESK MIDI PLAYER");
}

QString RootAdaptor::desktopEntry() const {
    return service_.desktopEntry();
}

QStringList RootAdaptor::supportedUriSchemes() const {
    return {QStringLiteral("file")};
}

QStringList RootAdaptor::supportedMimeTypes() const {
    return {QStringLiteral("audio/midi"), QStringLiteral("audio/x-rmid"),
            QStringLiteral("audio/x-recomposer"), QStringLiteral("audio/x-vesk-multilist")};
}

void RootAdaptor::Raise() {
    service_.raise();
}

void RootAdaptor::Quit() {
    service_.quit();
}

PlayerAdaptor::PlayerAdaptor(QObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service) {}

QString PlayerAdaptor::playbackStatus() const {
    return service_.snapshot().playbackStatus;
}

QString PlayerAdaptor::loopStatus() const {
    return service_.snapshot().loopStatus;
}

void PlayerAdaptor::setLoopStatus(const QString& loop) {
    service_.setLoopStatus(loop);
}

bool PlayerAdaptor::shuffle() const {
    return service_.snapshot().shuffle;
}

void PlayerAdaptor::setShuffle(bool on) {
    service_.setShuffle(on);
}

double PlayerAdaptor::rate() const {
    return service_.snapshot().rate;
}

void PlayerAdaptor::setRate(double rate) {
    service_.setRate(rate);
}

QVariantMap PlayerAdaptor::metadata() const {
    return service_.snapshot().metadata;
}

qlonglong PlayerAdaptor::position() const {
    return service_.positionUs();
}

bool PlayerAdaptor::canGoNext() const {
    return service_.snapshot().canGoNext;
}

bool PlayerAdaptor::canGoPrevious() const {
    return service_.snapshot().canGoPrevious;
}

bool PlayerAdaptor::canPlay() const {
    return service_.snapshot().canPlay;
}

bool PlayerAdaptor::canPause() const {
    return service_.snapshot().canPause;
}

bool PlayerAdaptor::canSeek() const {
    return service_.snapshot().canSeek;
}

void PlayerAdaptor::Next() {
    service_.next();
}

void PlayerAdaptor::Previous() {
    service_.previous();
}

void PlayerAdaptor::Pause() {
    service_.pause();
}

void PlayerAdaptor::PlayPause() {
    service_.playPause();
}

void PlayerAdaptor::Stop() {
    service_.stop();
}

void PlayerAdaptor::Play() {
    service_.play();
}

void PlayerAdaptor::Seek(qlonglong Offset) {
    service_.seek(Offset);
}

void PlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    service_.setPosition(TrackId.path(), Position);
}

void PlayerAdaptor::OpenUri(const QString& Uri) {
    service_.openUri(Uri);
}

}  // namespace vesk::ui::mpris
