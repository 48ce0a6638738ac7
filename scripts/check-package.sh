#!/usr/bin/env bash
# Builds the Debian package (make package), installs it with apt-get, checks
# that what it installed runs from /usr and not from the build tree, and
# purges it again, whatever the checks found. Needs root (or sudo).
#   scripts/check-package.sh [BUILD-DIR]     default: build
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
fail() { echo "check-package: $*" >&2; exit 1; }

if dpkg-query -W -f='${Status}' corvane 2>/dev/null | grep -q "install ok installed"; then
  fail "a corvane package is installed already; this check would replace and purge it (apt-get purge corvane first)"
fi

cmake --build "$build" --target package >/dev/null 2>&1 || cmake --build "$build" --target package
mapfile -t debs < <(ls "$build"/corvane_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one $build/corvane_*.deb, found ${#debs[@]}"
deb=$(cd "$(dirname "${debs[0]}")" && pwd)/$(basename "${debs[0]}")

work=$(mktemp -d)
cleanup() {
  $sudo apt-get purge -y -qq corvane >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get could not install $deb"; }

# Nothing installed may look for libraries in the build tree.
mapfile -t elves < <(dpkg -L corvane | while read -r f; do
  [ -f "$f" ] && file -b "$f" | grep -q '^ELF' && echo "$f"
done)
[ ${#elves[@]} -ge 5 ] || fail "the package holds ${#elves[@]} ELF files, expected at least 5"
for f in "${elves[@]}"; do
  ! readelf -d "$f" | grep -E 'RPATH|RUNPATH' | grep -qF "$root" || fail "$f looks into $root"
  ! ldd "$f" | grep -q 'not found' || fail "$f: $(ldd "$f" | grep 'not found')"
done
for f in /usr/bin/corvane /usr/lib/audio-units/Corvane.component/Contents/Linux/Corvane.so; do
  lib=$(ldd "$f" | awk '/libcorvane_macos_api.so/ { print $3 }')
  [ "$(readlink -f "$lib")" = /usr/lib/corvane/libcorvane_macos_api.so ] ||
    fail "$f loads the platform library from '$lib', not /usr/lib/corvane"
done

# The programs from the PATH, in an empty folder with an empty environment.
cd "$work"
run() { env -i HOME="$work" PATH=/usr/bin:/bin "$@"; }
[ "$(run sh -c 'command -v corvane')" = /usr/bin/corvane ] || fail "corvane is not /usr/bin/corvane"
version=$(run corvane --version)
grep -q "from /usr/lib/audio-units/Corvane.component" <<<"$version" || fail "corvane --version: $version"
run corvane render -o demo.wav >/dev/null
[ -s demo.wav ] || fail "corvane render wrote nothing"

# Both plug-ins listed from /usr/lib/lv2, and the stereo one processes audio there.
identity() { sed -nE "s/^set\\($1 \"(.*)\"\\)/\\1/p" "$root/preamp/CorvaneIdentity.cmake"; }
uri=$(identity CORVANE_LV2_URI)
mono=$(identity CORVANE_LV2_MONO_URI)
[ -n "$uri" ] && [ -n "$mono" ] || fail "no LV2 URIs in preamp/CorvaneIdentity.cmake"
listed=$(run LV2_PATH=/usr/lib/lv2 lv2ls)
for u in "$uri" "$mono"; do
  grep -qxF "$u" <<<"$listed" || fail "lv2ls does not list $u from /usr/lib/lv2"
done
run LV2_PATH=/usr/lib/lv2 lv2file -i demo.wav -o lv2.wav "$uri" >/dev/null 2>&1 || fail "lv2file could not run $uri"
[ -s lv2.wav ] || fail "lv2file wrote nothing"

echo "check-package: $(basename "$deb") installs, runs from /usr and is listed by lv2ls"
