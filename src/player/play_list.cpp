#include "player/play_list.h"

#include <algorithm>
#include <optional>

#include "engine/smf_info.h"
#include "intake/path_text.h"
#include "platform/text_codec.h"
#include "platform/user_interaction.h"
#include "player/player.h"
#include "player/player_log.h"

namespace vesk::player {

QString shortTitle(const QString& title) {
    if (platform::cp932ByteLength(title) <= kShortTitleBytes) {
        return title;
    }
    // Whole characters up to byte 54; then whether the 54th byte ends a double-byte one.
    constexpr int kKeepBytes = kShortTitleBytes - 2;
    QString head;
    int bytes = 0;
    int lastCharBytes = 0;
    qsizetype headBefore = 0;
    for (qsizetype i = 0; i < title.size();) {
        const qsizetype width =
            title[i].isHighSurrogate() && i + 1 < title.size() && title[i + 1].isLowSurrogate() ? 2
                                                                                                : 1;
        const QString one = title.mid(i, width);
        const int n = platform::cp932ByteLength(one);
        if (bytes + n > kKeepBytes) {
            break;
        }
        headBefore = head.size();
        head += one;
        bytes += n;
        lastCharBytes = n;
        i += width;
    }
    if (bytes == kKeepBytes && lastCharBytes == 2) {
        return head + QStringLiteral("..");
    }
    // Byte 54 is a single-byte character or starts a double-byte one: keep 53 bytes.
    if (bytes == kKeepBytes) {
        head.truncate(headBefore);
    }
    return head + QStringLiteral("...");
}

QString shownTitle(const intake::SongEntry& entry) {
    return entry.title.isEmpty() ? engine::titleFromFileName(entry.name) : entry.title;
}

QString listLine(std::int16_t index, const QString& title) {
    QString number = QString::number(index + 1);
    if (index < 99) {
        number.prepend(u'0');
    }
    if (index < 9) {
        number.prepend(u'0');
    }
    return number + QStringLiteral("：") + shortTitle(title);
}

QString songCaption(std::int16_t currentEntry, std::int16_t listLast, const QString& title,
                    const QString& appTitle) {
    if (currentEntry < 0 || currentEntry > listLast) {
        return appTitle;
    }
    return QStringLiteral("[") + intake::trackCounter(currentEntry, listLast) +
           QStringLiteral("] ") + title + QStringLiteral(" - ") + appTitle;
}

void Player::updateList(std::int16_t start) {
    if (start <= -1) {
        start = -1;
        view().clearList();
    }
    const std::int16_t last = state_.listLast();
    for (int i = start + 1; i <= last; ++i) {
        view().appendLine(listLine(static_cast<std::int16_t>(i),
                                   shownTitle(state_.playList[static_cast<std::size_t>(i)])));
    }
    updateEnableFlags();
}

void Player::appendEntries(const std::vector<intake::SongEntry>& entries) {
    // Entries handed over while an intake ran are already listed: the display goes on
    // from the list as it stands now.
    const std::int16_t shownLast = state_.listLast();
    std::vector<intake::SongEntry>& list = state_.playList;
    const std::size_t room =
        kMaxEntries - std::min(list.size(), static_cast<std::size_t>(kMaxEntries));
    const std::size_t taken = std::min(room, entries.size());
    list.insert(list.end(), entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(taken));
    if (taken < entries.size()) {
        qCWarning(lcPlayer) << "list full," << entries.size() - taken << "entries left out";
        interaction_.showMessage(QStringLiteral("リストに入る曲は32767曲までです。"
                                                "それより後のファイルは追加されませんでした。"),
                                 platform::MessageIcon::Exclamation);
    }
    updateList(shownLast);
}

void Player::clearPlayList() {
    state_.playList.clear();
}

void Player::dropPlayRequest() {
    state_.playRequested = false;
}

void Player::swapEntries(std::int16_t a, std::int16_t b, bool keepCurrent) {
    const std::int16_t last = state_.listLast();
    if (a < 0 || b < 0 || a > last || b > last) {
        return;
    }
    std::swap(state_.playList[static_cast<std::size_t>(a)],
              state_.playList[static_cast<std::size_t>(b)]);
    if (keepCurrent) {
        return;
    }
    std::int16_t& current = state_.currentEntry;
    if (current == a) {
        current = b;
    } else if (current == b) {
        current = a;
    }
    if (current == a || current == b) {
        showCaption();
    }
}

void Player::deleteEntry(std::int16_t selected) {
    const std::int16_t last = state_.listLast();
    if (selected < 0 || selected > last) {
        return;
    }
    if (selected == state_.currentEntry) {
        transportStop();
    }
    for (std::int16_t i = selected; i < last; ++i) {
        const auto next = static_cast<std::int16_t>(i + 1);
        swapEntries(i, next, true);
        view().setLine(i, listLine(i, shownTitle(state_.playList[static_cast<std::size_t>(i)])));
    }
    state_.playList.pop_back();
    view().removeLastLine();

    // The current song, the play order and its position keep naming the same songs.
    std::int16_t& current = state_.currentEntry;
    if (current == selected) {
        current = -1;
    } else if (current > selected) {
        --current;
    }
    std::vector<std::int16_t>& order = state_.shuffleOrder;
    std::optional<std::int16_t> removedPos;
    if (const auto it = std::find(order.begin(), order.end(), selected); it != order.end()) {
        removedPos = static_cast<std::int16_t>(it - order.begin());
        order.erase(it);
    }
    for (std::int16_t& index : order) {
        if (index > selected) {
            --index;
        }
    }
    if (settings_.repeat == static_cast<std::int16_t>(RepeatModes::Shuffle)) {
        if (removedPos && state_.playOrderPos > *removedPos) {
            --state_.playOrderPos;
        }
    } else if (state_.playOrderPos > selected) {
        --state_.playOrderPos;
    }
    updateEnableFlags();
    showCaption();
}

void Player::showCaption() {
    const std::int16_t current = state_.currentEntry;
    const std::int16_t last = state_.listLast();
    const QString title = current >= 0 && current <= last
                              ? shownTitle(state_.playList[static_cast<std::size_t>(current)])
                              : QString();
    setCaptionText(songCaption(current, last, title, module_.appTitle));
}

}  // namespace vesk::player
