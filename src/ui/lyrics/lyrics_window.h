#pragma once
// The lyrics window: the line being sung and the next one, the syllables reached so far
// lit, following the song position the player reads. It belongs to no main window, so it
// stays through the tray and back.

#include <QString>
#include <QWidget>
#include <cstdint>

#include "config/settings.h"
#include "player/player.h"
#include "ui/common/following_window.h"

namespace vesk::ui {

// One line of lyrics: the part already sung, then the rest.
class LyricLineView final : public QWidget {
  public:
    LyricLineView(int pointSize, QWidget* parent);
    void setLine(const QString& sung, const QString& rest);
    const QString& sungText() const { return sung_; }
    const QString& restText() const { return rest_; }
    QString text() const { return sung_ + rest_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString sung_;
    QString rest_;
};

class LyricsWindow final : public FollowingWindow {
  public:
    static constexpr int kRefreshMs = 40;

    LyricsWindow(player::Player& player, config::Settings& settings);

    // Shows the lyrics at the song position now.
    void refresh() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void showLines(const player::LyricSheet& sheet, const player::LyricPlace& place);

    player::Player& player_;
    LyricLineView* current_ = nullptr;
    LyricLineView* next_ = nullptr;
};

}  // namespace vesk::ui
