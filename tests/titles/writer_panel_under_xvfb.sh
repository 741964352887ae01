#!/usr/bin/env bash
# The real program under a real X server with the writer's panel set in config.ini
# (keyword and platform): a click on "生成标题" puts ten headlines on the clipboard, each
# without a blank and within the platform's 5 to 30 characters.
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
