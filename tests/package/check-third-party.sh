#!/usr/bin/env bash
# Every library a shipped binary links dynamically has its row in
# THIRD_PARTY.md, so a new dependency cannot ship without its licence noted.
#   check-third-party.sh THIRD_PARTY.md BINARY...
set -euo pipefail
notices=$1
shift
missing=()
for binary in "$@"; do
  [ -f "$binary" ] || { echo "no such binary: $binary" >&2; exit 1; }
  while read -r soname; do
    case $soname in
      ld-linux*) grep -qF "ld-linux" "$notices" || missing+=("$soname ($(basename "$binary"))") ;;
      *) grep -qF "$soname" "$notices" || missing+=("$soname ($(basename "$binary"))") ;;
    esac
  done < <(readelf -d "$binary" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p')
done
if [ ${#missing[@]} -gt 0 ]; then
  printf 'not in %s: %s\n' "$(basename "$notices")" "${missing[*]}" >&2
  exit 1
fi
echo "every linked library of $# binaries is listed in $(basename "$notices")"
