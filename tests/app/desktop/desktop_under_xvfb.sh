#!/usr/bin/env bash
# The real program under a real X server, as a desktop runs it: SIGTERM, SIGINT and SIGHUP
# store what closing stores; a second start brings the running window to the front and
# ends; a copy that crashed does not stop the next start.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
session="$here/../../support/xvfb_session.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expect_line() {  # FILE LINE
  if ! iconv -f GB18030 -t UTF-8 "$1" | tr -d '\r' | grep -qx -- "$2"; then
    echo "$1 lacks the line '$2':"; iconv -f GB18030 -t UTF-8 "$1"; exit 1
  fi
}

# Slot 2's name box lies at (288, 405) and slot 3's radio circle at (364, 405).
for signal in TERM INT HUP; do
  folder="$work/$signal"
  mkdir "$folder"
  "$session" "$program" "$folder" \
    'xdotool mousemove --window "$id" 300 417 click --repeat 3 1' \
    'xdotool key ctrl+a' \
    "xdotool type --delay 30 'After $signal'" \
    'xdotool mousemove --window "$id" 370 417 click 1' \
    "kill -$signal \"\$pid\""
  expect_line "$folder/config.ini" "编辑框1=After $signal"
  expect_line "$folder/config.ini" "单选框3=真"
  echo "SIG$signal kept the slot name and selection"
done

mkdir "$work/handover"
"$session" "$program" "$work/handover" "\"$here/second_start_steps.sh\" \"\$folder\" \"\$id\""
