#!/usr/bin/env bash
# The real program in a real X server: its window appears with its caption, and Esc ends
# the program normally, here with Shift held (any Esc the focused control leaves closes).
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
CLOSE_KEY=shift+Escape "$(dirname "$0")/../support/xvfb_session.sh" "$1" "$work"
