#!/usr/bin/env bash
# `corvane live` with its editor, under an X server of its own (run through
# xvfb-run) and on a private JACK server: a click on the Oversampling switch
# reaches the audio, so the output ports' latency follows it; closing the
# window ends the program cleanly, with the state (the switch, the editor's
# size) saved.
# Arguments: the corvane program, the x11_test_tool program.
set -euo pipefail
corvane=$1
tool=$2
# shellcheck source=../jack-server.sh
. "$(dirname "$0")/../jack-server.sh"
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  jack_server_stop
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; cat "$work/live.out" "$work/live.err" 2>/dev/null; exit 1; }

export JACK_DEFAULT_SERVER=corvane_live_editor_$$
jack_server_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" || fail "no JACK server"

"$corvane" live --save-state "$work/state.aupreset" >"$work/live.out" 2>"$work/live.err" &
pid=$!
host=$(timeout 30 xdotool search --sync --onlyvisible --name '^Corvane$' | head -1) || fail "no window titled Corvane"
editor=$(timeout 30 xdotool search --sync --onlyvisible --class '^IGraphicsView_vCorvane$' | head -1) || fail "no editor"
eval "$(xdotool getwindowgeometry --shell "$editor")"
for _ in $(seq 100); do
  grep -q "latency 0 samples$" "$work/live.out" && break
  sleep 0.05
done
grep -q "latency 0 samples$" "$work/live.out" || fail "no start line at latency 0"

capture_latency() { jack_lsp -l corvane:out_1 | sed -n 's/.*port capture latency = \[ \([0-9]*\) \([0-9]*\) \].*/\1 \2/p'; }
[ "$(capture_latency)" = "0 0" ] || fail "out_1's latency is $(capture_latency) before the click"
xdotool mousemove "$((X + 270))" "$((Y + 320))" click 1 # Oversampling
for _ in $(seq 100); do
  [ "$(capture_latency)" = "64 64" ] && break
  sleep 0.05
done
[ "$(capture_latency)" = "64 64" ] || fail "out_1's latency is $(capture_latency) after the click, not 64"

"$tool" close "$host"
timeout 20 tail --pid="$pid" -f /dev/null || fail "corvane live did not end when its window closed"
rc=0
wait "$pid" || rc=$?
pid=
[ "$rc" -eq 0 ] || fail "corvane live exited with $rc"
grep -q "^stopped: the window was closed; [0-9]* xruns$" "$work/live.out" || fail "no stop line"
"$corvane" state "$work/state.aupreset" >"$work/state.txt" || fail "no state saved"
grep -q '^editor size: *575 *x *333' "$work/state.txt" || fail "editor size: $(grep 'editor size' "$work/state.txt")"
grep -qE '^ +8 +Oversampling +Oversampling On$' "$work/state.txt" || fail "Oversampling: $(grep Oversampling "$work/state.txt")"
echo "live editor end-to-end: passed"
