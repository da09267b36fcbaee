#include "ui/lyrics/lyrics_window.h"

#include <QCloseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace vesk::ui {

namespace {

constexpr QColor kBackground(14, 14, 32);
constexpr QColor kSungColor(255, 210, 74);
constexpr QColor kRestColor(150, 225, 255);

QString joined(const std::vector<player::LyricSyllable>& syllables, std::size_t from,
               std::size_t to) {
    QString out;
    for (std::size_t i = from; i < to && i < syllables.size(); ++i) {
        out += syllables[i].text;
    }
    return out;
}

}  // namespace

LyricLineView::LyricLineView(int pointSize, QWidget* parent) : QWidget(parent) {
    QFont f = font();
    f.setPointSize(pointSize);
    f.setBold(true);
    setFont(f);
    setMinimumHeight(QFontMetrics(f).height() + 6);
}

void LyricLineView::setLine(const QString& sung, const QString& rest) {
    if (sung == sung_ && rest == rest_) {
        return;
    }
    sung_ = sung;
    rest_ = rest;
    update();
}

void LyricLineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(sung_ + rest_);
    // Centred; a line wider than the window keeps its sung end in view.
    int x = (this->width() - width) / 2;
    if (x < 4) {
        const int sungWidth = metrics.horizontalAdvance(sung_);
        x = std::min(4, this->width() * 2 / 3 - sungWidth);
    }
    const int y = (height() + metrics.ascent() - metrics.descent()) / 2;
    painter.setPen(kSungColor);
    painter.drawText(x, y, sung_);
    painter.setPen(kRestColor);
    painter.drawText(x + metrics.horizontalAdvance(sung_), y, rest_);
}

LyricsWindow::LyricsWindow(player::Player& player, config::Settings& settings)
    : FollowingWindow(settings.lyricsShown, kRefreshMs), player_(player) {
    setObjectName(QStringLiteral("LyricsWindow"));
    setWindowTitle(QStringLiteral("歌詞 - VESK MIDI PLAYER"));
    resize(480, 110);
    current_ = new LyricLineView(18, this);
    current_->setObjectName(QStringLiteral("LyricCurrentLine"));
    next_ = new LyricLineView(14, this);
    next_->setObjectName(QStringLiteral("LyricNextLine"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(current_);
    layout->addWidget(next_);
}

void LyricsWindow::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), kBackground);
}

void LyricsWindow::refresh() {
    if (player_.songGeneration() == 0) {
        current_->setLine(QString(), QStringLiteral("VESK MIDI PLAYER"));
        next_->setLine(QString(), QStringLiteral("曲が選ばれていません"));
        return;
    }
    const player::LyricSheet& sheet = player_.lyricSheet();
    if (sheet.empty()) {
        current_->setLine(QString(), player_.songTitle());
        next_->setLine(QString(), QStringLiteral("この曲には歌詞がありません"));
        return;
    }
    showLines(sheet, player::lyricPlaceAt(sheet, player_.songPosition()));
}

void LyricsWindow::showLines(const player::LyricSheet& sheet, const player::LyricPlace& place) {
    const auto line = static_cast<std::size_t>(place.line);
    const auto& syllables = sheet.lines[line].syllables;
    const auto sung = static_cast<std::size_t>(place.sung);
    current_->setLine(joined(syllables, 0, sung), joined(syllables, sung, syllables.size()));
    if (line + 1 < sheet.lines.size()) {
        const auto& following = sheet.lines[line + 1].syllables;
        next_->setLine(QString(), joined(following, 0, following.size()));
    } else {
        next_->setLine(QString(), QString());
    }
}

}  // namespace vesk::ui
