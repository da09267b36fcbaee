#include "sequencer/sequencer_backend.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>

#include <QFile>
#include <QString>
#include <charconv>
#include <cstring>
#include <vector>

#include "platform/posix_file.h"
#include "sequencer/current_exception.h"
#include "sequencer/loop_plan.h"
#include "sequencer/sequencer_errors.h"
#include "sequencer/sequencer_log.h"
#include "sequencer/smf_reader.h"

Q_LOGGING_CATEGORY(lcSequencer, "vesk.sequencer")

namespace vesk::sequencer {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// Words separated by blanks; a word in double quotes may hold blanks, and within the
// quotes a backslash makes the next '"' or '\' part of the word.
bool tokenize(std::string_view text, std::vector<std::string>& words) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c == '"') {
            std::string word;
            std::size_t j = i + 1;
            for (; j < text.size() && text[j] != '"'; ++j) {
                if (text[j] == '\\' && j + 1 < text.size() &&
                    (text[j + 1] == '"' || text[j + 1] == '\\')) {
                    ++j;
                }
                word += text[j];
            }
            if (j == text.size()) {
                return false;
            }
            words.push_back(std::move(word));
            i = j + 1;
            continue;
        }
        std::size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t' && text[j] != '\r' &&
               text[j] != '\n') {
            ++j;
        }
        words.emplace_back(text.substr(i, j - i));
        i = j;
    }
    return true;
}

std::optional<std::int64_t> parseNumber(std::string_view s) {
    std::int64_t v = 0;
    const char* end = s.data() + s.size();
    const auto r = std::from_chars(s.data(), end, v);
    if (s.empty() || r.ec != std::errc() || r.ptr != end) {
        return std::nullopt;
    }
    return v;
}

void writeReply(const std::string& text, char* reply, int replyLength) {
    if (reply == nullptr || replyLength <= 0) {
        return;
    }
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(replyLength) - 1);
    std::memcpy(reply, text.data(), n);
    reply[n] = '\0';
}

const char* modeWord(PlayMode mode) {
    switch (mode) {
        case PlayMode::Playing:
            return "playing";
        case PlayMode::Paused:
            return "paused";
        case PlayMode::Stopped:
            break;
    }
    return "stopped";
}

}  // namespace

SequencerBackend::SequencerBackend(platform::MidiOutputService& output, platform::Clock& clock,
                                   Drive drive)
    : output_(output), clock_(clock), drive_(drive) {}

SequencerBackend::~SequencerBackend() {
    std::map<std::string, std::shared_ptr<SequencerSession>> sessions;
    {
        std::lock_guard lock(mutex_);
        sessions.swap(sessions_);
    }
    for (auto& [alias, session] : sessions) {
        session->close();
    }
}

int SequencerBackend::sendString(std::string_view command, char* reply, int replyLength) {
    std::string text;
    SequencerError error = SequencerError::Internal;
    try {
        error = execute(command, text);
    } catch (...) {
        // Callers are promised no exceptions; what escaped is named here, as nobody else can.
        qCWarning(lcSequencer) << "command"
                               << QString::fromUtf8(command.data(),
                                                    static_cast<qsizetype>(command.size()))
                               << "failed:" << describeCurrentException();
        error = SequencerError::Internal;
    }
    writeReply(error == SequencerError::None ? text : std::string(), reply, replyLength);
    return commandCode(error);
}

std::shared_ptr<SequencerSession> SequencerBackend::find(const std::string& alias) const {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(lower(alias));
    return it == sessions_.end() ? nullptr : it->second;
}

SequencerError SequencerBackend::open(const std::string& path, const std::string& alias) {
    if (find(alias)) {
        return SequencerError::AliasInUse;
    }
    // The path is the file name's own bytes, whatever their encoding.
    struct stat info {};
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0 ||
        S_ISDIR(info.st_mode)) {
        return SequencerError::FileNotFound;
    }
    if (info.st_size > kMaxFileBytes) {
        return SequencerError::FileTooLarge;
    }
    const platform::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    QFile file;
    if (!fd.valid() || !file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        return SequencerError::FileUnreadable;
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        return SequencerError::FileTooLarge;
    }
    auto song = std::make_shared<Song>();
    const SequencerError rc =
        readSmf(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          static_cast<std::size_t>(bytes.size())),
                *song);
    // Reading left large freed blocks behind; give them back so that only the song stays.
    malloc_trim(0);
    if (rc != SequencerError::None) {
        return rc;
    }
    auto session = std::make_shared<SequencerSession>(std::move(song), output_, clock_,
                                                      drive_ == Drive::RealTime);
    std::lock_guard lock(mutex_);
    return sessions_.try_emplace(lower(alias), std::move(session)).second
               ? SequencerError::None
               : SequencerError::AliasInUse;
}

SequencerError SequencerBackend::execute(std::string_view command, std::string& reply) {
    std::vector<std::string> words;
    if (!tokenize(command, words)) {
        return SequencerError::BadSyntax;
    }
    if (words.empty()) {
        return SequencerError::UnknownCommand;
    }
    const std::string verb = lower(words[0]);
    auto word = [&](std::size_t i) { return i < words.size() ? lower(words[i]) : std::string(); };

    if (verb == "open") {
        std::string alias;
        std::size_t i = 2;
        for (; i + 1 < words.size(); i += 2) {
            const std::string key = word(i);
            if (key == "alias") {
                alias = words[i + 1];
            } else if (key != "type") {
                return SequencerError::BadSyntax;
            }
        }
        if (words.size() < 2 || i != words.size() || alias.empty()) {
            return SequencerError::BadSyntax;
        }
        return open(words[1], alias);
    }

    static const char* const kVerbs[] = {"close", "set", "play", "pause", "stop", "seek", "status"};
    if (std::find(std::begin(kVerbs), std::end(kVerbs), verb) == std::end(kVerbs)) {
        return SequencerError::UnknownCommand;
    }
    if (words.size() < 2) {
        return SequencerError::BadSyntax;
    }
    if (verb == "close" && word(1) == "all" && words.size() == 2) {
        std::map<std::string, std::shared_ptr<SequencerSession>> sessions;
        {
            std::lock_guard lock(mutex_);
            sessions.swap(sessions_);
        }
        for (auto& [alias, session] : sessions) {
            session->close();
        }
        return SequencerError::None;
    }
    const std::shared_ptr<SequencerSession> session = find(words[1]);
    if (!session) {
        return SequencerError::UnknownAlias;
    }
    const std::size_t count = words.size();

    if (verb == "close") {
        if (count != 2) {
            return SequencerError::BadSyntax;
        }
        {
            std::lock_guard lock(mutex_);
            sessions_.erase(lower(words[1]));
        }
        session->close();
        return SequencerError::None;
    }
    if (verb == "play") {
        if (count == 2) {
            return session->play();
        }
        if (count == 4 && word(2) == "from") {
            const auto ms = parseNumber(words[3]);
            if (!ms || *ms < 0) {
                return SequencerError::BadNumber;
            }
            return session->playFrom(*ms);
        }
        return SequencerError::BadSyntax;
    }
    if (verb == "pause" || verb == "stop") {
        if (count != 2) {
            return SequencerError::BadSyntax;
        }
        verb == "pause" ? session->pause() : session->stop();
        return SequencerError::None;
    }
    if (verb == "seek") {
        if (count != 4 || word(2) != "to") {
            return SequencerError::BadSyntax;
        }
        const std::string where = word(3);
        if (where == "start") {
            session->seek(0);
        } else if (where == "end") {
            session->seek(session->lengthMs());
        } else {
            const auto ms = parseNumber(where);
            if (!ms || *ms < 0) {
                return SequencerError::BadNumber;
            }
            session->seek(*ms);
        }
        return SequencerError::None;
    }
    if (verb == "set") {
        const std::string what = word(2);
        if (what == "port" && count == 4) {
            if (word(3) == "mapper") {
                return session->setPort(-1);
            }
            const auto device = parseNumber(words[3]);
            if (!device || *device < -1 || *device > std::numeric_limits<int>::max()) {
                return SequencerError::BadNumber;
            }
            return session->setPort(static_cast<int>(*device));
        }
        if (what == "time" && count == 5 && word(3) == "format") {
            const std::string format = word(4);
            return format == "milliseconds" || format == "ms" ? SequencerError::None
                                                              : SequencerError::Unsupported;
        }
        if (what == "tempo" && count == 4) {
            constexpr std::int64_t kMaxBpm = 100000;
            const auto bpm = parseNumber(words[3]);
            if (!bpm || *bpm <= 0 || *bpm > kMaxBpm) {
                return SequencerError::BadNumber;
            }
            session->setTempo(static_cast<int>(*bpm));
            return SequencerError::None;
        }
        if (what == "transpose" && count == 4) {
            const auto semitones = parseNumber(words[3]);
            if (!semitones || *semitones < -Transposer::kMaxSemitones ||
                *semitones > Transposer::kMaxSemitones) {
                return SequencerError::BadNumber;
            }
            session->setTranspose(static_cast<int>(*semitones));
            return SequencerError::None;
        }
        if (what == "loops" && count == 4) {
            const auto passes = parseNumber(words[3]);
            if (!passes || *passes < 0 || *passes > kMaxLoopPasses) {
                return SequencerError::BadNumber;
            }
            session->setLoops(static_cast<int>(*passes));
            return SequencerError::None;
        }
        if (what == "channels" && count == 5) {
            constexpr std::int64_t kAllChannels = (std::int64_t{1} << kMaxChannels) - 1;
            const auto muted = parseNumber(words[3]);
            const auto soloed = parseNumber(words[4]);
            if (!muted || !soloed || *muted < 0 || *soloed < 0 || *muted > kAllChannels ||
                *soloed > kAllChannels) {
                return SequencerError::BadNumber;
            }
            session->setChannelFilter(ChannelSet(static_cast<unsigned long long>(*muted)),
                                      ChannelSet(static_cast<unsigned long long>(*soloed)));
            return SequencerError::None;
        }
        return SequencerError::BadSyntax;
    }
    // status
    if (count != 3) {
        return SequencerError::BadSyntax;
    }
    const std::string item = word(2);
    if (item == "position") {
        reply = std::to_string(session->positionMs());
    } else if (item == "songposition") {
        reply = std::to_string(session->songPositionMs());
    } else if (item == "length") {
        reply = std::to_string(session->lengthMs());
    } else if (item == "mode") {
        reply = modeWord(session->mode());
    } else if (item == "tempo") {
        reply = std::to_string(session->tempo());
    } else if (item == "transpose") {
        reply = std::to_string(session->transpose());
    } else if (item == "loops") {
        reply = std::to_string(session->loops());
    } else {
        return SequencerError::BadSyntax;
    }
    return SequencerError::None;
}

void SequencerBackend::pump(platform::Nanos now) {
    std::lock_guard lock(mutex_);
    for (auto& [alias, session] : sessions_) {
        session->pump(now);
    }
}

std::optional<platform::Nanos> SequencerBackend::nextDeadline() const {
    std::lock_guard lock(mutex_);
    std::optional<platform::Nanos> first;
    for (const auto& [alias, session] : sessions_) {
        const auto next = session->nextDeadline();
        if (next && (!first || *next < *first)) {
            first = next;
        }
    }
    return first;
}

}  // namespace vesk::sequencer
