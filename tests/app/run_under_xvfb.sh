#!/usr/bin/env bash
# Starts the real program in a real X server: its window must appear with its caption,
# and Esc must end the program normally.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/qinghe"
export XDG_RUNTIME_DIR=$work
chmod 700 "$work"
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  "$1/qinghe" & pid=$!
  id=
  for _ in $(seq 100); do
    id=$(xdotool search --name "^青禾 v4.2   QQ：[0-9]+$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then echo "no window with the caption appeared"; kill "$pid"; exit 1; fi
  echo "window: $(xdotool getwindowname "$id")"
  xwininfo -id "$id" | grep -E "Width|Height"
  xdotool windowfocus --sync "$id"
  sleep 0.3
  xdotool key Escape
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then echo "still running after Esc"; kill "$pid"; exit 1; fi
  wait "$pid"; status=$?
  echo "exit status $status"
  exit $status
' _ "$work"
