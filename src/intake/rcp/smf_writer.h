#pragma once
// Assembles the format 1 Standard MIDI File from the conductor data and expanded tracks.

#include "intake/rcp/rcp_expand.h"

namespace vesk::intake::rcp {

void appendVarLen(QByteArray& out, quint32 value);

// A meta event without its delta time: FF, type, length, data.
QByteArray metaEvent(quint8 type, const QByteArray& data);

// Tracks without events are left out; the first track is the conductor.
QByteArray writeSmf(const RcpSong& song, const Conductor& conductor,
                    const std::vector<TrackOutput>& tracks);

}  // namespace vesk::intake::rcp
