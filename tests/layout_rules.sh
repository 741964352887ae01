#!/usr/bin/env bash
# The rooms' rules, checked on every source file: which rooms each room may include, no
# Qt below the window, nothing of the tests outside them (README, "Layout").
#   layout_rules.sh SOURCE_DIR
set -uo pipefail
cd "${1:?source folder}"

# The room a path lies in: the longest matching folder prefix.
room_of() {
  case $1 in
    controls/*) echo controls ;; app/form/*) echo app/form ;;
    app/window/*) echo app/window ;; app/desktop/*) echo app/desktop ;;
    *) echo "${1%%/*}" ;;
  esac
}

# What each room may include besides itself; generated headers are open to all.
declare -A allowed=(
  [text]="" [history]="text" [web]="text" [controls]="text" [hot]="text web controls"
  [titles]="text controls hot" [config]="text controls titles"
  [app/form]="text controls" [app/desktop]="text"
)
no_qt=" text history web hot titles config controls app/form "
test_rooms=" tests bench fuzz "

failures=0
fail() { echo "$1"; failures=$((failures + 1)); }

while IFS= read -r file; do
  room=$(room_of "$file")
  while IFS= read -r line; do
    if [[ $line =~ ^#include\ \"([^\"]+)\" ]]; then
      target=$(room_of "${BASH_REMATCH[1]}")
      [ "$target" = "$room" ] || [ "$target" = generated ] && continue
      if [[ $test_rooms == *" $target "* && $test_rooms != *" $room "* ]]; then
        fail "$file: includes ${BASH_REMATCH[1]} from $target"
      elif [ -n "${allowed[$room]+set}" ] && [[ " ${allowed[$room]} " != *" $target "* ]]; then
        fail "$file: $room may not include ${BASH_REMATCH[1]}"
      fi
    elif [[ $line =~ ^#include\ \<(Q[A-Za-z]+|q[a-z_]+\.h)\> && $no_qt == *" $room "* ]]; then
      fail "$file: Qt header <${BASH_REMATCH[1]}> in $room"
    fi
  done < <(grep -E '^#include' "$file")
done < <(git ls-files '*.cpp' '*.h' '*.h.in' 2>/dev/null ||
         find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||')

[ -f controls/CMakeLists.txt ] || fail "controls has no CMakeLists.txt of its own"
[ $failures -eq 0 ] || { echo "$failures layout rule(s) broken"; exit 1; }
echo "every source file keeps the layout rules"
