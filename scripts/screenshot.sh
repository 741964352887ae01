#!/usr/bin/env bash
# Takes docs/screenshot.png: the program's window under Xvfb after a keyword is typed
# into the writer's panel, 标题体检 is set to 仅标注 and "生成标题" is pressed once
# (needs a built program and the packages of `scripts/install-deps.sh --screenshot`).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
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
  xdotool mousemove --window "$id" 667 57 click 1    # the writer'"'"'s keyword
  xdotool type --delay 80 "新能源车"
  xdotool mousemove --window "$id" 667 486 click 1   # 标题体检: 仅标注
  sleep 0.3
  xdotool key Down Return
  xdotool mousemove --window "$id" 300 470 click 1   # 生成标题
  sleep 0.5
  xdotool mousemove --window "$id" 60 120 click 1    # into the prefix list
  sleep 0.5
  import -window "$id" "$2"
  kill "$pid"
' _ "$work" "$out"
echo "wrote $out"
