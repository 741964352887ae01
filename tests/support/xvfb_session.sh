#!/usr/bin/env bash
# One run of the program under a fresh Xvfb: copies the program into FOLDER (its
# settings then live there), waits for its window, runs each STEP (a shell command that
# may use $id, the window), ends the program with Esc (or the key in CLOSE_KEY, as
# xdotool names it) and fails unless it exits cleanly.
#   [CLOSE_KEY=shift+Escape] xvfb_session.sh PROGRAM FOLDER [STEP...]
set -euo pipefail
program=$1 folder=$2
shift 2
cp "$program" "$folder/qinghe"
export XDG_RUNTIME_DIR=$folder
chmod 700 "$folder"
unset QT_QPA_PLATFORM

# Xvfb picks a free display itself and reports it once it accepts clients.
rm -f "$folder/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -ac 3>"$folder/display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$folder/display" ] && break; sleep 0.05; done
[ -s "$folder/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n 1 "$folder/display")"
# Under load the server can report its number a moment before clients get through.
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.05; done

# Starts the program and waits for its window. Now and then a fresh Xvfb turns the
# program's connection away (seen only with other tests running beside it), so a
# program that dies before its window shows is started again, up to three times.
start_program() {
  "$folder/qinghe" & pid=$!
  id=
  for _ in $(seq 100); do
    id=$(xdotool search --name "^青禾 v4.2   QQ：[0-9]+$" 2>/dev/null | head -n 1) && [ -n "$id" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
started=
for attempt in 1 2 3; do
  if start_program; then started=yes; break; fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "attempt $attempt: no window"
done
[ -n "$started" ] || { echo "no window with the caption appeared"; exit 1; }
echo "window: $(xdotool getwindowname "$id"), $(xwininfo -id "$id" | grep -E "Width|Height" | tr -s " \n" " ")"
sleep 1
xdotool windowfocus --sync "$id"
for step in "$@"; do eval "$step"; sleep 0.4; done
xdotool key "${CLOSE_KEY:-Escape}"
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then echo "still running after ${CLOSE_KEY:-Escape}"; kill "$pid"; exit 1; fi
status=0
wait "$pid" || status=$?
echo "exit status $status"
exit $status
