#!/usr/bin/env bash
# The real program under a real X server, as a writer keeps headlines: a run, Ctrl+D on
# its first line and Ctrl+Shift+C on its second; the program closed and started again;
# 收藏与历史… opened, the starred headline found in 收藏 and by a search, deleted with
# Delete and brought back with Ctrl+Z. history.sqlite3 is read as another program reads
# it after each step.
set -euo pipefail
program=$1
session="$(dirname "$0")/../support/xvfb_session.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The rows of history.sqlite3: "text|starred|copies", one a line.
rows() {
  python3 - "$work/history.sqlite3" <<'EOF'
import sqlite3, sys
for text, starred, copies in sqlite3.connect(sys.argv[1]).execute(
        "SELECT text, starred, times_used FROM headlines ORDER BY id"):
    print(f"{text}|{starred}|{copies}")
EOF
}

# The generate button spans (208, 441) to (427, 506) in the window, the result box's
# first lines stand at y 242 and 256.
"$session" "$program" "$work" \
  'xdotool mousemove --window "$id" 300 470 click 1' \
  'xdotool mousemove --window "$id" 60 242 click 1; xdotool key ctrl+d' \
  'xdotool mousemove --window "$id" 60 256 click 1; xdotool key ctrl+shift+c' \
  'xclip -selection clipboard -o >"$folder/copied.txt"'
mapfile -t kept < <(rows)
[ "${#kept[@]}" -eq 2 ] || { echo "expected two rows:"; printf '%s\n' "${kept[@]}"; exit 1; }
starred=${kept[0]%|*|*}
[ "${kept[0]}" = "$starred|1|0" ] || { echo "the first line is not starred: ${kept[0]}"; exit 1; }
[ "${kept[1]}" = "$(cat "$work/copied.txt")|0|1" ] || { echo "the copy is not recorded: ${kept[1]}"; exit 1; }
echo "starred: $starred"
printf '%s' "$starred" >"$work/starred.txt"

# 收藏与历史… spans (671, 341) to (757, 365). The window opens on 收藏 (something is
# starred); its search box stands at the top, the scope before it, its first row at y 64.
# The search is made on 全部, which holds both headlines.
open_window='xdotool mousemove --window "$id" 714 353 click 1; sleep 0.5
  fav=$(xdotool search --name "^收藏与历史$" | head -n 1); [ -n "$fav" ]'
copy_rows='printf - | xclip -selection clipboard
  xdotool mousemove --window "$fav" 200 64 click 1; xdotool key ctrl+a ctrl+c; sleep 0.3
  xclip -selection clipboard -o >"$folder/$1"'
# Four characters of the starred headline that the copied one does not hold.
search_word=$(python3 -c '
import sys
starred, copied = (open(name, encoding="utf-8").read() for name in sys.argv[1:])
print(next(starred[i:i + 4] for i in range(len(starred)) if starred[i:i + 4] not in copied))
' "$work/starred.txt" "$work/copied.txt")
"$session" "$program" "$work" \
  "$open_window" \
  "set -- in-starred.txt; $copy_rows" \
  'xdotool mousemove --window "$fav" 400 20 click 1; xdotool key shift+Tab Down Down' \
  "set -- in-all.txt; $copy_rows" \
  "xdotool mousemove --window \"\$fav\" 400 20 click 1; xdotool type --delay 50 '$search_word'; sleep 0.5" \
  "set -- found.txt; $copy_rows" \
  'xdotool key Delete; sleep 0.3; python3 -c "import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute(\"SELECT count(*) FROM headlines WHERE starred\").fetchone()[0])" "$folder/history.sqlite3" >"$folder/after-delete.txt"' \
  'xdotool key ctrl+z' \
  'xdotool key Escape; xdotool windowfocus --sync "$id"'
for file in in-starred.txt found.txt; do
  [ "$(cat "$work/$file")" = "$starred" ] || { echo "$file: $(cat "$work/$file")"; exit 1; }
done
[ "$(grep -c '' "$work/in-all.txt")" -eq 2 ] || { echo "全部 holds: $(cat "$work/in-all.txt")"; exit 1; }
[ "$(cat "$work/after-delete.txt")" = 0 ] || { echo "Delete left $(cat "$work/after-delete.txt") starred"; exit 1; }
mapfile -t back < <(rows)
printf '%s\n' "${back[@]}" | grep -qxF "$starred|1|0" || { echo "Ctrl+Z did not bring it back:"; printf '%s\n' "${back[@]}"; exit 1; }
grep -q '^位置=' <(iconv -f GB18030 -t UTF-8 "$work/config.ini") || { echo "no place kept"; exit 1; }
echo "found in 收藏 and by '$search_word' after a restart, deleted and brought back"
