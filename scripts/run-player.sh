#!/usr/bin/env bash
# Starts the player, or says in one line why it cannot show a window here.
set -u
bin=$1
shift
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "veskmidi: no display here (DISPLAY and WAYLAND_DISPLAY are unset); to hear a song without a window: $bin --render out.wav song.mid" >&2
  exit 1
fi
# A new user hears the player at once: with no file given, the demo list opens.
if [ $# -eq 0 ] && [ -f demo/demo.mlt ]; then
  set -- "$(pwd)/demo/demo.mlt"
fi
exec "$bin" "$@"
