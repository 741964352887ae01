#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: exactly the expected files, a desktop entry
# and metainfo that pass their validators (each skipped when not installed), one version
# everywhere, and an installed program that keeps its settings in the user's folder, not
# beside itself, with its bin folder writable or not.
#   install_test.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1 id=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/qinghe
share/applications/$id.desktop
share/man/man1/qinghe.1.gz
share/metainfo/$id.metainfo.xml
share/qinghe/installed
share/icons/hicolor/scalable/apps/$id.svg"
for size in 16 22 24 32 48 64 128 256; do
  expected+=$'\n'"share/icons/hicolor/${size}x${size}/apps/$id.png"
done
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
if [ "$actual" != "$(sort <<<"$expected")" ]; then
  echo "installed files differ from the expected ones:"
  diff <(sort <<<"$expected") <(echo "$actual") || true
  exit 1
fi
echo "installed: $(wc -l <<<"$actual") files"

validate() {  # TOOL ARGS...
  if command -v "$1" >/dev/null; then "$@" && echo "$1: valid"; else echo "$1 not installed: skipped"; fi
}
validate desktop-file-validate "$prefix/share/applications/$id.desktop"
validate appstreamcli validate --no-net --explain "$prefix/share/metainfo/$id.metainfo.xml"
if command -v groff >/dev/null; then
  warnings=$(gzip -dc "$prefix/share/man/man1/qinghe.1.gz" | groff -k -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || { echo "manual page: $warnings"; exit 1; }
fi

[ "$("$prefix/bin/qinghe" --version)" = "qinghe $version" ] || { echo "--version is not $version"; exit 1; }
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" || { echo "metainfo lacks $version"; exit 1; }
gzip -dc "$prefix/share/man/man1/qinghe.1.gz" | grep -q "^\.TH QINGHE 1 .*\"qinghe $version\"" || { echo "manual lacks $version"; exit 1; }
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || { echo "desktop entry names another icon"; exit 1; }

mkdir "$work/session"
"$here/../support/xvfb_session.sh" "$build/qinghe" "$work/session" \
  "\"$here/installed_program_steps.sh\" \"$prefix\" \"$work/user\""
