#!/usr/bin/env bash
# Installs the Debian packages that are missing for a task, and only those; `apt-get
# update` runs only when something has to be installed.
#   install-deps.sh            building and running the program (`make run`, `make build`)
#   install-deps.sh --test     the same plus what the tests need (`make test`)
#   install-deps.sh --deb      the same plus what `make deb` needs (lintian is used when
#                              installed, and comes with --test)
#   install-deps.sh --fuzz     the same plus clang and libFuzzer for `make fuzz`
#   install-deps.sh --bench    the test set plus valgrind, which counts instructions for `make bench`
#   install-deps.sh --screenshot   the test set plus what scripts/screenshot.sh needs
set -euo pipefail

# Building and running: compilers, the libraries the program links or opens
# (libcurl at the first hot-topic fetch; SQLite, with FTS5, for the history), the CJK
# font the form asks for, and the Wayland platform plugin so that a Wayland session runs
# the program natively, and Qt's Chinese translations for its own menus and dialogs.
packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-wayland qt6-translations-l10n
  libicu-dev libpcre2-dev libcurl4-openssl-dev libpng-dev zlib1g-dev nlohmann-json3-dev libsqlite3-dev
  fonts-arphic-uming
)
# Packaging: CPack's Debian generator asks `file` which files are programs, and
# dpkg-shlibdeps (dpkg-dev) finds the packages of the libraries they link.
deb_packages=(file dpkg-dev)
# The tests: GoogleTest, an X server and its tools for the real program, a D-Bus
# session with the accessibility bus and a client that reads it as a screen reader does,
# the TLS and proxy servers of the network tests, the validators of the installed files,
# the formatter whose verdict the format check gives, and what the package test builds
# and checks the package with.
test_packages=(
  libgtest-dev libssl-dev openssl tinyproxy
  xvfb xauth x11-utils xdotool xclip
  dbus-daemon at-spi2-core python3-pyatspi
  desktop-file-utils appstream groff-base
  clang-format git
  "${deb_packages[@]}" lintian
)
for option in "$@"; do
  case $option in
    --test) packages+=("${test_packages[@]}") ;;
    --deb) packages+=("${deb_packages[@]}") ;;
    --fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
    --bench) packages+=("${test_packages[@]}" valgrind) ;;
    --screenshot) packages+=("${test_packages[@]}" imagemagick) ;;
    *) echo "install-deps.sh: unknown option $option" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
# Another apt or dpkg run holds the lock for a while: wait for it instead of failing.
apt=(apt-get -o DPkg::Lock::Timeout=600)
"${sudo[@]}" "${apt[@]}" update -q
"${sudo[@]}" "${apt[@]}" install -y -q --no-install-recommends "${missing[@]}"
