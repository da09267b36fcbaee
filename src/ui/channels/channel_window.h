#pragma once
// The channel window: a row for every channel the song uses, with its number, the
// instrument the output plays on it, a meter of the notes sent to it, and mute and solo
// buttons. It reads what the player core makes of the output a few times a second and
// belongs to no main window, so it stays through the tray and back.

#include <QLabel>
#include <QToolButton>
#include <QWidget>
#include <vector>

#include "config/settings.h"
#include "player/player.h"
#include "ui/common/following_window.h"

namespace vesk::ui {

class ChannelMeter final : public QWidget {
  public:
    explicit ChannelMeter(QWidget* parent);
    // `level` 0..1; a channel held back is drawn dimmed.
    void setLevel(double level, bool audible);
    double level() const { return level_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double level_ = 0;
    bool audible_ = true;
};

class ChannelWindow final : public FollowingWindow {
  public:
    static constexpr int kRefreshMs = 50;

    ChannelWindow(player::Player& player, config::Settings& settings);

    // Shows the channels as the player has them now.
    void refresh() override;

  private:
    struct Row {
        int channel = 0;
        QLabel* number = nullptr;
        QLabel* instrument = nullptr;
        ChannelMeter* meter = nullptr;
        QToolButton* mute = nullptr;
        QToolButton* solo = nullptr;
    };
    void rebuild(const std::vector<player::ChannelRow>& rows);
    static void showRow(Row& row, const player::ChannelRow& state);

    player::Player& player_;
    QWidget* grid_ = nullptr;
    QLabel* empty_ = nullptr;
    std::vector<Row> rows_;
};

}  // namespace vesk::ui
