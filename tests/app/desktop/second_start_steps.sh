#!/usr/bin/env bash
# Runs inside an X session whose program copy in FOLDER shows window ID (see
# desktop_under_xvfb.sh). Another copy in a folder of its own covers that window; starting
# FOLDER's copy again must bring ID to the front and end at once. Then a copy that was
# killed leaves its lock and socket behind, and its folder still starts.
#   second_start_steps.sh FOLDER ID
set -euo pipefail
folder=$1 id=$2
caption="^青禾 v[0-9.]+   QQ：[0-9]+$"
windows() { xdotool search --name "$caption" 2>/dev/null | wc -l; }
wait_windows() {  # COUNT
  for _ in $(seq 100); do [ "$(windows)" -eq "$1" ] && return 0; sleep 0.1; done
  echo "expected $1 windows, found $(windows)"; exit 1
}
topmost() { xwininfo -root -children | grep -m 1 "\"青禾 v" | awk '{print $1}'; }
start_copy() {  # NAME: a portable copy in a folder of its own
  mkdir -p "$folder/$1"
  cp "$folder/qinghe" "$folder/$1/qinghe"
  "$folder/$1/qinghe" &
}

start_copy other
other=$!
wait_windows 2
[ "$(topmost)" != "$(printf 0x%x "$id")" ] || { echo "the other copy's window is not on top"; exit 1; }

timeout 10 "$folder/qinghe" || { echo "second start failed with status $?"; exit 1; }
[ "$(windows)" -eq 2 ] || { echo "the second start opened a window"; exit 1; }
[ "$(topmost)" = "$(printf 0x%x "$id")" ] || { echo "the running window was not raised"; exit 1; }
[ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] || { echo "the running window did not get the focus"; exit 1; }
echo "second start raised the running window"

kill -KILL "$other"
{ wait "$other"; } 2>/dev/null || true
wait_windows 1
sockets=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name "qinghe-*.socket" | wc -l)
[ "$sockets" -eq 2 ] || { echo "expected the killed copy's socket beside the running one's, found $sockets"; exit 1; }
"$folder/other/qinghe" &
restarted=$!
wait_windows 2
kill -TERM "$restarted"
wait "$restarted" || { echo "the restarted copy failed"; exit 1; }
echo "a killed copy did not prevent the next start"
xdotool windowfocus --sync "$id"  # the session ends with Esc to this window
