#include "engine/sequencer_call.h"

#include <QLoggingCategory>
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/reply_number.h"
#include "platform/file_path.h"

Q_LOGGING_CATEGORY(lcSequencerCall, "vesk.engine.sequencer", QtInfoMsg)

namespace vesk::engine {
namespace {

QString printable(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

sequencer::SequencerError sendCommand(sequencer::CommandSequencer& sequencer,
                                      std::string_view command) {
    const int code = sequencer.sendString(command, nullptr, 0);
    qCDebug(lcSequencerCall) << printable(command) << "->" << code;
    return sequencer::SequencerError{code};
}

sequencer::SequencerError sendQuery(sequencer::CommandSequencer& sequencer,
                                    std::string_view command, int held, int given,
                                    std::string& reply) {
    held = std::max(held, 1);
    given = std::clamp(given, 1, held);
    std::vector<char> buffer(static_cast<std::size_t>(held), '\0');
    const int code = sequencer.sendString(command, buffer.data(), given);
    if (code != 0) {
        reply.clear();
    } else {
        // The sequencer promises a NUL, but the buffer's end bounds the text either way.
        reply.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
    }
    qCDebug(lcSequencerCall) << printable(command) << "->" << code << printable(reply);
    return sequencer::SequencerError{code};
}

std::string openCommand(const QString& path, std::string_view alias) {
    // The path's own bytes in quotes; a quote or a backslash in it goes with a backslash
    // before it, so the back end finds the closing quote.
    std::string text = "open \"";
    for (const char c : platform::pathBytes(path)) {
        if (c == '"' || c == '\\') {
            text += '\\';
        }
        text += c;
    }
    text += "\" alias ";
    text += alias;
    return text;
}

std::int32_t measurePlayTime(sequencer::CommandSequencer& sequencer, const QString& path,
                             CallResult& result, std::int32_t loops) {
    constexpr int kLengthReply = 16;
    auto send = [&](std::string_view command) {
        result.add(command, sendCommand(sequencer, command));
    };
    std::string reply;
    send(openCommand(path, "DataOnly"));
    send("set DataOnly time format milliseconds");
    if (loops != 0) {
        send("set DataOnly loops " + std::to_string(loops));
    }
    constexpr std::string_view kLength = "status DataOnly length";
    result.add(kLength, sendQuery(sequencer, kLength, kLengthReply, kLengthReply, reply));
    send("close DataOnly");
    return leadingWholeNumber(reply);
}

}  // namespace vesk::engine
