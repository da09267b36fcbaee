#pragma once
// A sequencer that records command texts and answers from a script, and builders for the
// byte blocks of small MIDI files.

#include <QByteArray>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "sequencer/command_sequencer.h"

namespace vesk::engine::test {

class FakeSequencer final : public sequencer::CommandSequencer {
  public:
    struct Answer {
        int code = 0;
        std::string reply;
    };
    int sendString(std::string_view command, char* reply, int replyLength) override {
        commands.emplace_back(command);
        replyLengths.push_back(replyLength);
        const Answer answer =
            answers.count(std::string(command)) ? answers[std::string(command)] : Answer{};
        // Written even for a failing command: the engine must not trust it then.
        if (reply != nullptr && replyLength > 0) {
            const std::size_t n =
                std::min(answer.reply.size(), static_cast<std::size_t>(replyLength - 1));
            std::memcpy(reply, answer.reply.data(), n);
            reply[n] = '\0';
        }
        return answer.code;
    }
    void clear() {
        commands.clear();
        replyLengths.clear();
    }
    std::map<std::string, Answer> answers;
    std::vector<std::string> commands;
    std::vector<int> replyLengths;
};

inline QByteArray be(unsigned value, int bytes) {
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    return out;
}

inline QByteArray smfHeader(unsigned format, unsigned tracks, unsigned division) {
    return "MThd" + be(6, 4) + be(format, 2) + be(tracks, 2) + be(division, 2);
}

inline QByteArray meta(int type, const QByteArray& text) {
    return QByteArray("\x00\xFF", 2) + char(type) + char(text.size()) + text;
}

inline QByteArray track(const QByteArray& events) {
    const QByteArray body = events + QByteArray("\x00\xFF\x2F\x00", 4);
    return "MTrk" + be(static_cast<unsigned>(body.size()), 4) + body;
}

}  // namespace vesk::engine::test
