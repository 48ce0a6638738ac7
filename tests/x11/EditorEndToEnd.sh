#!/usr/bin/env bash
# The editor as a user meets it, under an X server of its own (run through
# xvfb-run): `corvane editor` on a fresh state; a click on Phase, a drag up on
# Gain, the wheel on Output, then the window closed the way a window manager
# closes it. The saved state must hold what was done. A second run on that
# state is photographed and compared with `corvane snapshot` of it.
# Arguments: the corvane program, the x11_test_tool program.
set -euo pipefail
corvane=$1
tool=$2
work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

fail() { echo "FAIL: $*"; [ -f "$work/editor.log" ] && cat "$work/editor.log"; exit 1; }

# Starts the editor; sets pid, host (the top-level window), editor (the editor's window inside it)
# and X, Y (the editor's top-left on screen).
open_editor() {
  "$corvane" editor "$@" 2>"$work/editor.log" &
  pid=$!
  host=$(timeout 30 xdotool search --sync --onlyvisible --name '^Corvane$' | head -1) || fail "no window titled Corvane"
  editor=$(timeout 30 xdotool search --sync --onlyvisible --class '^IGraphicsView_vCorvane$' | head -1) || fail "no editor window"
  eval "$(xdotool getwindowgeometry --shell "$editor")"
  sleep 0.5 # a few frames drawn
}

close_editor() {
  "$tool" close "$host"
  local rc=0
  timeout 20 tail --pid="$pid" -f /dev/null || fail "the editor did not close"
  wait "$pid" || rc=$?
  pid=
  [ "$rc" -eq 0 ] || fail "corvane editor exited with $rc"
}

at() { xdotool mousemove "$((X + $1))" "$((Y + $2))"; sleep 0.05; }

# --- first run: edit and save --------------------------------------------------------
open_editor --save-state "$work/state.aupreset"
[ "$WIDTH" -eq 575 ] && [ "$HEIGHT" -eq 333 ] || fail "editor is ${WIDTH}x${HEIGHT}, not 575x333"
# The host window keeps the editor's size: the window manager is told it is the only one, and
# when the corner handle zooms the editor the window and that size follow.
expect_hints() {
  local got want="size $1x$2 min $1x$2 max $1x$2"
  for _ in $(seq 100); do # the editor draws on llvmpipe: give a busy machine time
    got=$("$tool" hints "$host")
    [ "$got" = "$want" ] && return
    sleep 0.05
  done
  fail "host window: '$got', want $1x$2 fixed"
}
expect_hints 575 333
# Files dragged over the host window go to the editor (drag sources look at top-level windows only).
[ "$("$tool" proxy "$host")" = "$editor" ] || fail "the host window does not forward drops to the editor"
at 571 329; xdotool mousedown 1; sleep 0.1 # the corner handle
at 628 362; sleep 0.1                      # 628 / 571: 110 %
xdotool mouseup 1
expect_hints 632 366
at 628 362; xdotool mousedown 1; sleep 0.1 # the handle, where it is now
at 572 330; sleep 0.1                      # 100.2 %: lands on 100 %
xdotool mouseup 1
expect_hints 575 333
at 305 98; xdotool click 1; sleep 0.2                      # Phase
at 185 96; xdotool mousedown 1; sleep 0.1                  # Gain: drag up
for i in 1 2 3 4 5 6 7 8 9 10; do at 185 $((96 - 12)); done # the hidden pointer is held: each move is 12 up
xdotool mouseup 1; sleep 0.2
at 408 96; for i in 1 2 3; do xdotool click 4; sleep 0.05; done # Output: wheel up
sleep 0.2
close_editor
[ -f "$work/state.aupreset" ] || fail "no state saved"

"$corvane" state "$work/state.aupreset" >"$work/state.txt"
value() { grep -E "^ +[0-9]+ +$1 " "$work/state.txt" | sed -E "s/^ +[0-9]+ +$1 +//"; }
grep -q '^editor size: *575 *x *333 at scale 1 ' "$work/state.txt" || fail "editor size: $(grep 'editor size' "$work/state.txt")"
phase=$(value Phase)
gain=$(value Gain)
output=$(value Output)
echo "Phase: $phase, Gain: $gain, Output: $output"
case "$phase" in 1|1.0|on|On|ON|Inverted|inverted) ;; *) fail "Phase is '$phase'" ;; esac
number() { sed -E 's/^([-+]?[0-9.]+).*/\1/' <<<"$1"; }
awk -v g="$(number "$gain")" 'BEGIN { exit !(g > 0) }' || fail "Gain did not move up: '$gain'"
awk -v o="$(number "$output")" 'BEGIN { exit !(o > 0) }' || fail "Output did not change: '$output'"

# --- second run: the window shows what a snapshot of the same state shows ------------
if "$corvane" snapshot --help >/dev/null 2>&1; then
  open_editor --state "$work/state.aupreset"
  xdotool mousemove 0 0; sleep 0.5                          # no hover, bubble gone
  "$tool" capture "$host" "$work/window.png"
  close_editor
  "$corvane" snapshot --state "$work/state.aupreset" -o "$work/snapshot.png"
  "$tool" compare "$work/window.png" "$work/snapshot.png" 2.0 || fail "the window does not match the snapshot"
  [ -n "${CORVANE_SCREENSHOT:-}" ] && cp "$work/window.png" "$CORVANE_SCREENSHOT"
else
  echo "corvane snapshot not built: window-versus-snapshot comparison not run"
fi
# --- windows destroyed from outside: saved as on any close, exit 0, no X error ------------
for target in host editor; do
  open_editor --save-state "$work/destroyed-$target.aupreset" -p Gain=15dB
  xdotool windowclose "${!target}"
  rc=0
  timeout 20 tail --pid="$pid" -f /dev/null || fail "the editor kept running after its $target window was destroyed"
  wait "$pid" || rc=$?
  pid=
  [ "$rc" -eq 0 ] || fail "corvane editor exited with $rc after its $target window was destroyed"
  ! grep -qiE "X Error|BadWindow|BadDrawable" "$work/editor.log" || fail "an X error after the $target window was destroyed"
  "$corvane" state "$work/destroyed-$target.aupreset" | grep -qE "^ +[0-9]+ +Gain +15" ||
    fail "the state was not saved after the $target window was destroyed"
done

echo "editor end-to-end: passed"
