#!/usr/bin/env bash
# Lists the longest functions of the tracked C and C++ sources outside tests/
# (and outside code brought in from elsewhere), from universal-ctags' start and
# end lines, and exits 1 when one is longer than the limit.
#   scripts/function-lengths.sh              the ten longest; fails above 150 lines
#   scripts/function-lengths.sh --top 5 --max 120
# A lambda counts inside its enclosing function and once more on its own line.
set -euo pipefail
cd "$(dirname "$0")/.."

top=10
max=150
while [ $# -gt 0 ]; do
  case $1 in
    --top) top=$2; shift 2 ;;
    --max) max=$2; shift 2 ;;
    *) echo "usage: $0 [--top N] [--max LINES]" >&2; exit 2 ;;
  esac
done

if ! ctags --version 2>/dev/null | grep -q 'Universal Ctags'; then
  echo "function-lengths: universal-ctags not found (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

mapfile -t files < <(git ls-files -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' ':!tests/' \
  | grep -Ev '(^|/)(third_party|external|vendor)/' || true)

# One line per function: lines, file:line, qualified name. Headers are C++ here.
table=$(printf '%s\0' "${files[@]}" | xargs -0 ctags -x --language-force=C++ --kinds-C++=f --fields=+ne \
  --_xformat='%n %{end} %F %s %N' 2>/dev/null \
  | awk '$2 != "" { scope = NF == 5 ? $4 "::" : ""; printf "%d %s:%d %s%s\n", $2 - $1 + 1, $3, $1, scope, $NF }' \
  | sort -k1,1nr -k2,2)

printf '%6s  %-45s %s\n' lines where function
head -n "$top" <<<"$table" | awk '{ printf "%6d  %-45s %s\n", $1, $2, $3 }'

over=$(awk -v max="$max" '$1 > max' <<<"$table")
if [ -n "$over" ]; then
  echo "function-lengths: $(wc -l <<<"$over") function(s) longer than $max lines" >&2
  exit 1
fi
echo "function-lengths: $(wc -l <<<"$table") functions, none longer than $max lines"
