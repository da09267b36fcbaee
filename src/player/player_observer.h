#pragma once
// Something besides the window that follows the player: told after the player changed
// what it shows or plays, whichever window is attached. It reads the player back itself.

namespace vesk::player {

class PlayerObserver {
  public:
    virtual ~PlayerObserver() = default;
    virtual void playerChanged() = 0;
    // The song jumped to `positionMs` by a command rather than by playing on.
    virtual void playerSeeked(int /*positionMs*/) {}
};

// What the sequencer is doing, as a listener outside the windows sees it.
enum class Playback { Stopped, Playing, Paused };

}  // namespace vesk::player
