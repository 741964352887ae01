#!/usr/bin/env bash
# The real program in a temporary folder under a real X server: a slot renamed and a
# slot selected with mouse and keyboard are kept across a restart, without saving.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/qinghe"
export XDG_RUNTIME_DIR=$work
chmod 700 "$work"
unset QT_QPA_PLATFORM

# Runs the program, does "$@" (xdotool steps) on its window, then ends it with Esc.
cat > "$work/session.sh" <<'SESSION'
set -u
folder=$1; shift
"$folder/qinghe" & pid=$!
id=
for _ in $(seq 100); do
  id=$(xdotool search --name "^青禾 v4.2" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] || { echo "no window"; kill "$pid"; exit 1; }
sleep 1
xdotool windowfocus --sync "$id"
for step in "$@"; do eval "$step"; sleep 0.4; done
xdotool key Escape
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "still running after Esc"; kill "$pid"; exit 1; fi
wait "$pid"
SESSION

settings() { iconv -f GB18030 -t UTF-8 "$work/config.ini"; }
expect() {
  if ! settings | tr -d '\r' | grep -qx -- "$1"; then
    echo "config.ini lacks the line '$1':"; settings; exit 1
  fi
}

# Slot 2's name box lies at (288, 405) and slot 3's radio circle at (364, 405) in the window.
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$work" \
  'xdotool mousemove --window "$id" 300 417 click --repeat 3 1' \
  'xdotool key ctrl+a' \
  'xdotool type --delay 30 "Renamed 2"' \
  'xdotool mousemove --window "$id" 370 417 click 1'
expect "编辑框1=Renamed 2"
expect "单选框3=真"
expect "单选框1=假"

# A second run loads the name and the selection and, closing, writes them back as they were.
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$work"
expect "编辑框1=Renamed 2"
expect "单选框3=真"
echo "slot name and selection kept across a restart"
