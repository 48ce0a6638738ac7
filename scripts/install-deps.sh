#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing, without questions. Run as root (or with sudo available).
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  clang libclang-rt-14-dev          # fuzz targets and ThreadSanitizer runtime
  libgtest-dev libgmock-dev libbenchmark-dev
  libsndfile1-dev                   # audio files in the command-line host
  libasound2-dev                    # playing through the editor's live host
  libjack-jackd2-dev                # corvane live: the JACK client (jackd2's libjack; PipeWire's stands in at run time)
  libtinyxml2-dev                   # property-list files
  lv2-dev                           # LV2 plug-in headers and the schemas the bundle is checked against
  lilv-utils lv2file sordi jalv jackd2  # the LV2 bundle checked and benchmarked with Debian's tools
  libserd-dev                       # LV2 preset bundles (Turtle) in the command-line host
  libkissfft-dev                    # transforms of "corvane analyze" (BSD-3-Clause)
  libx11-dev libxcursor-dev libxkbcommon-dev libxft-dev  # editor window; its tooltips' text
  xdg-utils                         # opening URLs and folders from the editor
  xvfb xauth xdotool                # the editor window's tests: their own X server and input
  dpf-source libstb-dev             # NanoVG with fontstash, stb_image: the editor's drawing
  libegl-dev libgl-dev libopengl-dev libegl-mesa0 libgl1-mesa-dri  # OpenGL through EGL; llvmpipe draws without a GPU
  librsvg2-dev libfontconfig-dev    # SVG documents, installed fonts
  libglib2.0-dev dbus-daemon        # the desktop's colour scheme from its settings portal; a bus for its test
  fonts-roboto-unhinted             # the editor's font, copied into the bundle
  clang-format                      # scripts/check-format.sh
)

# The Debian package and the structure checks: dpkg-shlibdeps computes the
# package's dependencies (make package), file finds its binaries
# (scripts/check-package.sh), universal-ctags measures function lengths
# (scripts/function-lengths.sh).
packages+=(dpkg-dev file universal-ctags)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
