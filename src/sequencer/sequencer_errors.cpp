#include "sequencer/sequencer_errors.h"

namespace vesk::sequencer {

QString errorMessage(SequencerError error) {
    switch (error) {
        case SequencerError::None:
            return QStringLiteral("success");
        case SequencerError::UnknownCommand:
            return QStringLiteral("unknown command");
        case SequencerError::BadSyntax:
            return QStringLiteral("malformed command");
        case SequencerError::UnknownAlias:
            return QStringLiteral("no song is open under that alias");
        case SequencerError::AliasInUse:
            return QStringLiteral("a song is already open under that alias");
        case SequencerError::FileNotFound:
            return QStringLiteral("no such file");
        case SequencerError::FileUnreadable:
            return QStringLiteral("the file cannot be read");
        case SequencerError::FileTooLarge:
            return QStringLiteral("the file is too large for a MIDI file");
        case SequencerError::NotMidiFile:
            return QStringLiteral("not a Standard MIDI File");
        case SequencerError::BadHeader:
            return QStringLiteral("the MIDI file header is damaged");
        case SequencerError::NoTracks:
            return QStringLiteral("the MIDI file has no tracks");
        case SequencerError::BadNumber:
            return QStringLiteral("a number is missing or out of range");
        case SequencerError::DeviceOpen:
            return QStringLiteral("the MIDI output device cannot be opened");
        case SequencerError::Unsupported:
            return QStringLiteral("not supported by this sequencer");
        case SequencerError::Internal:
            return QStringLiteral("internal sequencer failure");
    }
    return QStringLiteral("sequencer error %1").arg(commandCode(error));
}

}  // namespace vesk::sequencer
