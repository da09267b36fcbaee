#include "engine/call_result.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcEngineResult, "vesk.engine.result", QtInfoMsg)

namespace vesk::engine {

template <typename Error>
void CallResult::keep(std::string_view what, Error error) {
    recorded_ = true;
    if (error == Error{}) {
        return;
    }
    const QString name = QString::fromUtf8(what.data(), static_cast<qsizetype>(what.size()));
    if (failed()) {
        qCInfo(lcEngineResult) << name << "also failed:" << errorMessage(error)
                               << "- kept is the earlier" << message();
        return;
    }
    qCDebug(lcEngineResult) << name << "failed:" << errorMessage(error);
    failure_ = error;
}

void CallResult::add(std::string_view command, sequencer::SequencerError error) {
    keep(command, error);
}

void CallResult::add(std::string_view call, platform::MidiOutError error) {
    keep(call, error);
}

std::int32_t CallResult::code() const {
    struct Code {
        std::int32_t operator()(std::monostate) const { return 0; }
        std::int32_t operator()(sequencer::SequencerError e) const {
            return sequencer::commandCode(e);
        }
        std::int32_t operator()(platform::MidiOutError e) const { return platform::deviceCode(e); }
    };
    return std::visit(Code{}, failure_);
}

QString CallResult::message() const {
    struct Message {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(sequencer::SequencerError e) const { return errorMessage(e); }
        QString operator()(platform::MidiOutError e) const { return errorMessage(e); }
    };
    return std::visit(Message{}, failure_);
}

}  // namespace vesk::engine
