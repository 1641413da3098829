#!/usr/bin/env bash
# Installs what is missing, builds the window in build/default and starts it.
# Needs a display (a desktop session, or Xvfb with DISPLAY set); without one
# the program says so in one line and exits with 255.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

# The window's texts are Chinese; without a CJK font they show as boxes.
if ! fc-list :lang=zh | grep -q .; then
  font_list=$(mktemp)
  echo fonts-noto-cjk >"$font_list"
  tools/install-deps.sh "$font_list" || { rm -f "$font_list"; exit 1; }
  rm -f "$font_list"
fi

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target textcrypt
exec build/default/ui/textcrypt
