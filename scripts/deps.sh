#!/usr/bin/env bash
# Installs the Debian 12 packages the game needs, only those missing.
# Usage: scripts/deps.sh play|package|web|test
set -euo pipefail

play_packages=(
  cmake ninja-build g++ pkg-config
  libsdl2-dev libsdl2-mixer-dev libgl-dev libglu1-mesa-dev libosmesa6-dev
  libfreetype-dev fonts-dejavu-core libx11-dev
  xfonts-base          # X11 message boxes need core fonts
  libinih-dev          # the settings file
  libcli11-dev         # the command line (header-only)
)
# Making the Debian package: dpkg-shlibdeps works out its dependencies,
# `file` finds the binaries for it.
package_packages=(
  dpkg-dev file
)
# The browser build: Debian's emscripten, and Python to serve the page.
web_packages=(
  emscripten python3
)
test_packages=(
  libgtest-dev python3
  xvfb xdotool x11-utils imagemagick sox assimp-utils
  clang-14 libclang-rt-14-dev
  libegl1 libegl-mesa0 desktop-file-utils
  weston               # a Wayland desktop, nested in Xvfb, for the Wayland run
  openbox              # a window manager with decorations for the window-size test
  libxtst-dev          # real key events for the SDL backend's own tests
  lintian appstream groff-base man-db   # checks on the package, its metainfo and manual page
  clang-format-14      # the code's layout is checked
  fontconfig           # fc-cache: a window manager maps nothing while it builds a cold font cache
  chromium nodejs npm  # the browser tests: headless Chromium driven from Node
)

wanted=("${play_packages[@]}")
case "${1:-play}" in
  package) wanted+=("${package_packages[@]}") ;;
  web) wanted+=("${web_packages[@]}") ;;
  test) wanted+=("${package_packages[@]}" "${web_packages[@]}" "${test_packages[@]}") ;;
esac

# Node and npm count as there when their commands are: another Node package
# (NodeSource's bundles npm) conflicts with Debian's npm.
provided_by_command() {
  case "$1" in
    nodejs) command -v node >/dev/null ;;
    npm) command -v npm >/dev/null ;;
    *) return 1 ;;
  esac
}

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && ! provided_by_command "$p"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
