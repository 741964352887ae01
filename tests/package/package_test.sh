#!/usr/bin/env bash
# The Debian package that cpack makes from a build folder, made under a umask that lets
# the group write: it depends on Qt's platform plugins (without one the window cannot
# open, and libqt6gui6 only recommends them) and on SQLite's library once the program
# calls it, and recommends the CJK font and the Wayland plugin; it carries the copyright
# file and the Debian changelog of its own version; its folders are 0755; and lintian,
# when installed, finds no error and no warning.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*"; exit 1; }

umask 002
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single package: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb")"

# Each listed package must appear in the field as a whole name.
has_packages() {  # FIELD NAME...
  local value
  value=" $(dpkg-deb -f "$deb" "$1" | tr ',|' '  ') "
  shift
  for name; do [[ $value == *" $name "* ]] || fail "$name is not in: $value"; done
}
has_packages Depends qt6-qpa-plugins qt6-translations-l10n libcurl4 libqt6gui6
# The linker keeps only the libraries the program calls into: once it calls SQLite (the
# history), dpkg-shlibdeps must have named SQLite's package.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/qinghe >"$work/qinghe"
if readelf -d "$work/qinghe" | grep -q 'NEEDED.*libsqlite3'; then has_packages Depends libsqlite3-0; fi
has_packages Recommends fonts-arphic-uming qt6-wayland

contents=$(dpkg-deb -c "$deb")
for file in copyright changelog.Debian.gz; do
  grep -q " \./usr/share/doc/qinghe/$file$" <<<"$contents" || fail "no usr/share/doc/qinghe/$file"
done
odd_folders=$(grep '^d' <<<"$contents" | grep -v '^drwxr-xr-x ' || true)
[ -z "$odd_folders" ] || fail "folders not 0755: $odd_folders"

dpkg-deb -x "$deb" "$work/root"
doc="$work/root/usr/share/doc/qinghe"
head -n 1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright is not in the machine-readable format"
version=$(dpkg-deb -f "$deb" Version)
gzip -dc "$doc/changelog.Debian.gz" | head -n 1 | grep -q "^qinghe ($version) " || fail "changelog lacks $version"

if command -v lintian >/dev/null; then
  report=$(lintian --fail-on error,warning "$deb" 2>&1) || { echo "$report"; fail "lintian found errors or warnings"; }
  echo "lintian: passed"
else
  echo "lintian not installed: skipped"
fi
