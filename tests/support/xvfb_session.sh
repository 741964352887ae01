#!/usr/bin/env bash
# One run of the program under a fresh Xvfb: copies the program into FOLDER (its
# settings then live there), waits for its window, runs each STEP (a shell command that
# may use $id, the window), ends the program with Esc and fails unless it exits cleanly.
#   xvfb_session.sh PROGRAM FOLDER [STEP...]
set -euo pipefail
program=$1 folder=$2
shift 2
cp "$program" "$folder/qinghe"
export XDG_RUNTIME_DIR=$folder
chmod 700 "$folder"
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  folder=$1; shift
  "$folder/qinghe" & pid=$!
  id=
  for _ in $(seq 100); do
    id=$(xdotool search --name "^青禾 v4.2   QQ：[0-9]+$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then echo "no window with the caption appeared"; kill "$pid"; exit 1; fi
  echo "window: $(xdotool getwindowname "$id"), $(xwininfo -id "$id" | grep -E "Width|Height" | tr -s " \n" " ")"
  sleep 1
  xdotool windowfocus --sync "$id"
  for step in "$@"; do eval "$step"; sleep 0.4; done
  xdotool key Escape
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then echo "still running after Esc"; kill "$pid"; exit 1; fi
  wait "$pid"; status=$?
  echo "exit status $status"
  exit $status
' _ "$folder" "$@"
