#!/usr/bin/env bash
# The real program under a real X server with the writer's panel set in config.ini
# (keyword and platform): a click on "生成标题" puts ten headlines on the clipboard, each
# without a blank and within the platform's 5 to 30 characters. Then, as a writer works:
# an own prefix list typed, 生成标题 clicked and Enter pressed twice keep it, and after
# 恢复默认 a Ctrl+Z in the prefix box brings it back.
set -euo pipefail
program=$1
session="$(dirname "$0")/../support/xvfb_session.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '[写作助手]\r\n编辑框_关键词=新能源车\r\n组合框_平台=今日头条\r\n' | iconv -f UTF-8 -t GB18030 >"$work/config.ini"
# The generate button spans (208, 441) to (427, 506) in the window.
"$session" "$program" "$work" \
  'xdotool mousemove --window "$id" 300 470 click 1' \
  'xclip -selection clipboard -o >"$folder/clipboard.txt"'

lines=$(grep -c '' "$work/clipboard.txt")
[ "$lines" -eq 10 ] || { echo "expected 10 headlines, got $lines:"; cat "$work/clipboard.txt"; exit 1; }
if grep -q '__' "$work/clipboard.txt"; then echo "a blank is left:"; cat "$work/clipboard.txt"; exit 1; fi
perl -CSD -ne 'chomp; my $n = length; die "$n characters: $_\n" if $n < 5 || $n > 30' "$work/clipboard.txt"
grep -q '新能源车' "$work/clipboard.txt" || echo "(no headline of this run had a blank to fill)"
echo "ten headlines, blanks filled, all within 5-30 characters"

# The prefix box spans (19, 45) to (147, 211), 恢复默认 (19, 474) to (83, 506).
copy_prefixes='xdotool mousemove --window "$id" 80 120 click 1; xdotool key ctrl+a ctrl+c; sleep 0.3; xclip -selection clipboard -o >"$folder/$1"'
"$session" "$program" "$work" \
  'xdotool mousemove --window "$id" 80 120 click 1' \
  'xdotool key ctrl+a; xdotool type --delay 20 "my own prefix"' \
  'xdotool mousemove --window "$id" 300 470 click 1' \
  'xdotool key Return' \
  'xdotool key Return' \
  "set -- after-enter.txt; $copy_prefixes" \
  'xdotool mousemove --window "$id" 50 490 click 1' \
  'xdotool mousemove --window "$id" 80 120 click 1; xdotool key ctrl+z' \
  "set -- after-undo.txt; $copy_prefixes"
for file in after-enter.txt after-undo.txt; do
  [ "$(cat "$work/$file")" = "my own prefix" ] || { echo "$file: the prefix list became:"; head -n 3 "$work/$file"; exit 1; }
done
echo "the typed prefix list survives Enter after a run, and 恢复默认 is undone by Ctrl+Z"
