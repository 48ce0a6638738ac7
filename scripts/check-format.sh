#!/usr/bin/env bash
# Lists the tracked C and C++ files of this project that .clang-format would
# change, and exits 1 when there is any. Code brought in from elsewhere
# (third_party/, external/, vendor/ folders) is not ours to format.
#   scripts/check-format.sh          check
#   scripts/check-format.sh --fix    reformat those files in place
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
  echo "check-format: $clang_format not found (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

mapfile -t files < <(git ls-files -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' \
  | grep -Ev '(^|/)(third_party|external|vendor)/' || true)

if [ "${1:-}" = "--fix" ]; then
  [ ${#files[@]} -eq 0 ] || printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc)" -n 16 "$clang_format" -i --style=file
  exit 0
fi

# One clang-format per batch of files: its dry run names each file it would change.
unformatted=$(printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc)" -n 32 "$clang_format" --style=file --dry-run 2>&1 \
  | sed -n -E 's/^(.+):[0-9]+:[0-9]+: (warning|error): code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$unformatted" ]; then
  echo "$unformatted"
  echo "check-format: $(wc -l <<<"$unformatted") of ${#files[@]} files are not formatted (scripts/check-format.sh --fix)" >&2
  exit 1
fi
echo "check-format: all ${#files[@]} files formatted"
