#!/usr/bin/env bash
# Times Corvane as an LV2 plug-in (oversampling off and on) and the Debian
# plug-ins a user would pick instead, all in one host (lv2bench from
# lilv-utils), and prints microseconds per block and realtime factors.
#
#   bench/lv2-peers.sh [BUILD-DIR]      BLOCK=512 FRAMES=960000 RUNS=3 to change
#
# lv2bench runs each plug-in at its port defaults at 48 kHz, so Corvane with
# oversampling on is a copy of the bundle whose oversampling default is 1.
# The peers come from Debian: apt-get install zam-plugins calf-plugins
# x42-plugins. lv2bench measures wall time; on a busy machine raise RUNS.
set -euo pipefail
build=${1:-build}
block=${BLOCK:-512}
frames=${FRAMES:-960000}
runs=${RUNS:-3}
rate=48000
bundle=$build/bin/Corvane.lv2
[ -f "$bundle/manifest.ttl" ] || { echo "no $bundle; build first (cmake --build $build)" >&2; exit 1; }
command -v lv2bench >/dev/null || { echo "lv2bench missing: apt-get install lilv-utils" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/off" "$work/on"
ln -s "$(cd "$bundle" && pwd)" "$work/off/Corvane.lv2"
cp -R "$bundle" "$work/on/"
awk '/lv2:symbol "oversampling"/ { os = 1 }
     os && /lv2:default/ { sub(/lv2:default 0/, "lv2:default 1"); os = 0 }
     { print }' "$bundle/Corvane.ttl" >"$work/on/Corvane.lv2/Corvane.ttl"

system=/usr/lib/lv2:/usr/local/lib/lv2
rows=(
  "Corvane stereo, oversampling off|$work/off|urn:veltrano:corvane"
  "Corvane stereo, oversampling on|$work/on|urn:veltrano:corvane"
  "Corvane mono, oversampling off|$work/off|urn:veltrano:corvane:mono"
  "Corvane mono, oversampling on|$work/on|urn:veltrano:corvane:mono"
  "zam-plugins ZamTube|$system|urn:zamaudio:ZamTube"
  "zam-plugins ZamAutoSat|$system|urn:zamaudio:ZamAutoSat"
  "calf Saturator|$system|http://calf.sourceforge.net/plugins/Saturator"
  "calf Equalizer 5 Band|$system|http://calf.sourceforge.net/plugins/Equalizer5Band"
  "calf Equalizer 12 Band|$system|http://calf.sourceforge.net/plugins/Equalizer12Band"
  "x42 fil4 EQ stereo|$system|http://gareus.org/oss/lv2/fil4#stereo"
)

blocks=$(( (frames + block - 1) / block ))
declare -A times
printf '%s frames in blocks of %s at %s Hz, best of %s runs\n\n' "$frames" "$block" "$rate" "$runs"
printf '%-36s %12s %12s\n' "plug-in" "us/block" "x realtime"
printf '%-36s %12s %12s\n' "-------" "--------" "----------"
for row in "${rows[@]}"; do
  IFS='|' read -r label path uri <<<"$row"
  best=""
  note=""
  for _ in $(seq "$runs"); do
    out=$(LV2_PATH=$path lv2bench -f -b "$block" -n "$frames" "$uri" 2>&1 || true)
    seconds=$(awk -v uri="$uri" '$4 == uri { print $3 }' <<<"$out")
    if [ -z "$seconds" ]; then
      note=$(grep -m1 -oE "requires feature <[^>]*>" <<<"$out" | sed -E 's/.*[/#]([^/#>]*)>/needs \1, which lv2bench lacks/' ||
             grep -m1 -iE "fail|error" <<<"$out" || echo "not run")
      break
    fi
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$seconds
    fi
  done
  if [ -n "$best" ]; then
    awk -v label="$label" -v s="$best" -v n="$blocks" -v f="$frames" -v r="$rate" \
      'BEGIN { printf "%-36s %12.2f %12.0f\n", label, s * 1e6 / n, (f / r) / s }'
    case "$label" in Corvane*) times["$label"]=$best ;; esac
  else
    printf '%-36s   not timed: %s\n' "$label" "$note"
  fi
done

echo
for os in off on; do
  stereo=${times["Corvane stereo, oversampling $os"]:-}
  mono=${times["Corvane mono, oversampling $os"]:-}
  if [ -n "$stereo" ] && [ -n "$mono" ]; then
    awk -v s="$stereo" -v m="$mono" -v os="$os" 'BEGIN { printf "Corvane mono / stereo, oversampling %-3s %6.2f\n", os, m / s }'
  fi
done
