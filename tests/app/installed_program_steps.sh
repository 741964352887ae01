#!/usr/bin/env bash
# Runs inside an X session (see install_test.sh): starts the program installed in PREFIX
# for a user whose home is USER, once with XDG_CONFIG_HOME and a writable bin folder, once
# without it and with a read-only bin folder; each run, ended by SIGTERM, must leave its
# settings in the user's configuration folder and nothing beside the executable.
#   installed_program_steps.sh PREFIX USER
set -euo pipefail
prefix=$1 user=$2
caption="^青禾 v[0-9.]+   QQ：[0-9]+$"
windows() { xdotool search --name "$caption" 2>/dev/null | wc -l; }

run_installed() {  # EXPECTED_FOLDER ENV...
  local expected=$1
  shift
  local before
  before=$(windows)
  env "$@" "$prefix/bin/qinghe" &
  local pid=$!
  for _ in $(seq 100); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
  [ "$(windows)" -gt "$before" ] || { echo "the installed program showed no window"; exit 1; }
  kill -TERM "$pid"
  wait "$pid" || { echo "the installed program failed"; exit 1; }
  [ -f "$expected/config.ini" ] || { echo "no config.ini in $expected"; exit 1; }
  [ ! -e "$prefix/bin/config.ini" ] || { echo "config.ini written beside the executable"; exit 1; }
  echo "installed program kept its settings in $expected"
}

mkdir -p "$user"
run_installed "$user/config/qinghe" HOME="$user" XDG_CONFIG_HOME="$user/config"
chmod a-w "$prefix/bin"
run_installed "$user/.config/qinghe" -u XDG_CONFIG_HOME HOME="$user"
chmod u+w "$prefix/bin"
