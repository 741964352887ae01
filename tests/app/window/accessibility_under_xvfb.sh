#!/usr/bin/env bash
# The real program as a screen reader meets it: in a private D-Bus session with the
# accessibility bus and under a fresh Xvfb, screen_reader.py reads the window over
# AT-SPI; then Esc ends the program.
#   accessibility_under_xvfb.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" = --in-session ]; then
  program=$2 work=$3
  # Asking for the accessibility bus's address starts the bus and waits for it, so the
  # program meets it from its start, as in a desktop session.
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  reader="/usr/bin/python3 $(printf %q "$here/screen_reader.py") \"\$pid\""
  exec "$here/../../support/xvfb_session.sh" "$program" "$work" "$reader"
fi

work=$(mktemp -d)
chmod 700 "$work"
export XDG_RUNTIME_DIR=$work
# Everything the run starts stays in the process group that setsid opens, the bus
# services that the buses start and leave to init included: ending the group ends all.
setsid dbus-run-session -- "$0" --in-session "$1" "$work" &
group=$!
end_group() {
  kill -TERM -- "-$group" 2>/dev/null || return 0
  for _ in $(seq 50); do
    ps -o stat= --sid "$group" | grep -qv '^Z' || return 0
    sleep 0.1
  done
  kill -KILL -- "-$group" 2>/dev/null || true
}
trap 'end_group; rm -rf "$work"' EXIT
trap 'exit 1' TERM INT HUP
status=0
wait "$group" || status=$?
exit $status
