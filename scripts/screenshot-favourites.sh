#!/usr/bin/env bash
# Takes docs/favourites.png: 收藏与历史 under Xvfb after a run with a keyword and a
# platform, three of its headlines starred (Ctrl+D) and two copied (Ctrl+Shift+C), on
# 全部 (needs a built program and the packages of `scripts/install-deps.sh --screenshot`).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/favourites.png}
mkdir -p "$(dirname "$out")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp build/qinghe "$work/"
export XDG_RUNTIME_DIR=$work
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1/qinghe" & pid=$!
  for _ in $(seq 100); do
    id=$(xdotool search --name "青禾" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.1
  done
  sleep 1
  xdotool windowfocus --sync "$id"
  xdotool mousemove --window "$id" 667 57 click 1    # the writer'"'"'s keyword, then the platform
  xdotool type --delay 80 "新能源车|电池"
  xdotool key Tab Down Down
  xdotool mousemove --window "$id" 300 470 click 1   # 生成标题
  sleep 0.5
  for y in 242 269 296; do                           # result lines: star three, copy two
    xdotool mousemove --window "$id" 60 $y click 1; xdotool key ctrl+d; sleep 0.2
  done
  for y in 256 296; do
    xdotool mousemove --window "$id" 60 $y click 1; xdotool key ctrl+shift+c; sleep 0.2
  done
  xdotool mousemove --window "$id" 714 353 click 1   # 收藏与历史…
  sleep 0.5
  fav=$(xdotool search --name "^收藏与历史$" | head -n 1)
  xdotool mousemove --window "$fav" 400 20 click 1   # the search box, then the scope: 全部
  xdotool key shift+Tab Down Down
  xdotool mousemove --window "$fav" 200 64 click 1   # the first row
  sleep 0.5
  import -window "$fav" "$2"
  kill "$pid"
  wait "$pid" || true
' _ "$work" "$out"
echo "wrote $out"
