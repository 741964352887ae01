#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, but only those
# that are missing; `apt-get update` runs only when something has to be installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools
  libicu-dev libpcre2-dev libcurl4-openssl-dev libssl-dev libpng-dev zlib1g-dev
  libgtest-dev
  xvfb xauth x11-utils xdotool
  tinyproxy openssl
  fonts-arphic-uming
)
# Extra packages for scripts/screenshot.sh and for `make fuzz` only.
case "${1:-}" in
  --screenshot) packages+=(imagemagick) ;;
  --fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
esac

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
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
