#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the player need.
# Idempotent: packages already present are skipped, so a second run does nothing.
set -euo pipefail

PACKAGES=(
  # build
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev
  libfluidsynth-dev librtmidi-dev libasound2-dev libarchive-dev
  libgtest-dev libgmock-dev
  # run: General MIDI SoundFonts (the small one keeps tests quick) and Japanese fonts
  fluid-soundfont-gm timgm6mb-soundfont fonts-noto-cjk
  # Qt's own dialogs and buttons in Japanese
  qt6-translations-l10n
  # headless tests and helpers that make test archives
  xvfb xauth x11-utils trayer zip lhasa libarchive-tools xdg-utils
  # real-desktop tests: a window manager and mouse clicks (the session bus: below)
  openbox xdotool
  # a private sound server and its recorder for the end-to-end sound tests
  pulseaudio pulseaudio-utils
  # make bench: FluidSynth's command-line player, the peer of the live figures
  fluidsynth
  # media controls on a private session bus
  dbus-daemon dbus-bin playerctl libglib2.0-bin
  # installation and the Debian package: validators, the MIME database, lintian
  desktop-file-utils appstream shared-mime-info dpkg-dev file lintian
  # make fuzz: clang with libFuzzer
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
