#!/usr/bin/env bash
# Runs every test headless: widgets on Qt's offscreen platform, the tray test under Xvfb.
set -u
build=$1
export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8
cd "$build" || exit 1
ctest --output-on-failure -j "$(nproc)" --timeout 300
