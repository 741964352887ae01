#!/usr/bin/env bash
# The real program in a temporary folder under a real X server: a slot renamed and a
# slot selected with mouse and keyboard are kept across a restart, without saving.
set -euo pipefail
program=$1
session="$(dirname "$0")/../support/xvfb_session.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

settings() { iconv -f GB18030 -t UTF-8 "$work/config.ini"; }
expect() {
  if ! settings | tr -d '\r' | grep -qx -- "$1"; then
    echo "config.ini lacks the line '$1':"; settings; exit 1
  fi
}

# Slot 2's name box lies at (288, 405) and slot 3's radio circle at (364, 405) in the window.
"$session" "$program" "$work" \
  'xdotool mousemove --window "$id" 300 417 click --repeat 3 1' \
  'xdotool key ctrl+a' \
  'xdotool type --delay 30 "Renamed 2"' \
  'xdotool mousemove --window "$id" 370 417 click 1'
expect "编辑框1=Renamed 2"
expect "单选框3=真"
expect "单选框1=假"

# A second run loads the name and the selection and, closing, writes them back as they were.
"$session" "$program" "$work"
expect "编辑框1=Renamed 2"
expect "单选框3=真"
echo "slot name and selection kept across a restart"
