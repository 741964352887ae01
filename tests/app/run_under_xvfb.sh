#!/usr/bin/env bash
# The real program in a real X server: its window appears with its caption, gets its icon
# in every size once it has shown (largest and smallest checked), and Esc ends the program
# normally, here with Shift held (any Esc the focused control leaves closes).
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
CLOSE_KEY=shift+Escape "$(dirname "$0")/../support/xvfb_session.sh" "$1" "$work" \
  'xprop -len 9999999 -id "$id" _NET_WM_ICON | grep -c -e "Icon (16 x 16)" -e "Icon (256 x 256)" | grep -qx 2 ||
     { echo "the window lacks its 16 or 256 pixel icon"; exit 1; }'
