#!/usr/bin/env bash
# Takes docs/screenshot.png: the program's window under Xvfb after a keyword is typed
# into the writer's panel, 标题体检 is set to 仅标注 and "生成标题" is pressed once
# (needs a built program and the packages of `scripts/install-deps.sh --screenshot`).
#   screenshot.sh [--hot-board] [OUT]
# With --hot-board it takes docs/hot-board.png: the window 热点榜 once it has fetched the
# six boards from tests/app/hot_board_server.cpp on 127.0.0.1 (the program's requests
# connected there by tests/support/local_hosts.cpp; both built in build/tests), a topic
# unfolded and two ticked.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=main
if [ "${1:-}" = --hot-board ]; then mode=hot-board; shift; fi
out=${1:-docs/$([ $mode = main ] && echo screenshot || echo hot-board).png}
mkdir -p "$(dirname "$out")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp build/qinghe "$work/"
export XDG_RUNTIME_DIR=$work

if [ $mode = hot-board ]; then
  coproc BOARDS { exec build/tests/hot_board_server "$work"; }
  read -r QINGHE_LOCAL_HTTP_PORT QINGHE_LOCAL_HTTPS_PORT <&"${BOARDS[0]}"
  export QINGHE_LOCAL_HTTP_PORT QINGHE_LOCAL_HTTPS_PORT
  xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
    LD_PRELOAD="$PWD/build/tests/liblocal_hosts.so" "$1/qinghe" 2>/dev/null & pid=$!
    for _ in $(seq 100); do
      id=$(xdotool search --name "青禾" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
      sleep 0.1
    done
    sleep 1
    xdotool windowfocus --sync "$id"
    xdotool mousemove --window "$id" 620 353 click 1    # 热点榜…
    for _ in $(seq 50); do
      board=$(xdotool search --name "^热点榜$" 2>/dev/null | head -n 1) && [ -n "$board" ] && break
      sleep 0.1
    done
    sleep 3                                               # the six boards fetched
    xdotool mousemove --window "$board" 42 78 click 1    # tick the second topic
    xdotool mousemove --window "$board" 42 106 click 1   # and the fourth
    xdotool mousemove --window "$board" 120 64 click 1   # the first topic unfolded
    xdotool key Right
    sleep 0.5
    import -window "$board" "$2"
    kill "$pid"
  ' _ "$work" "$out"
  exec {BOARDS[1]}>&-
  wait
  echo "wrote $out"
  exit 0
fi
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
