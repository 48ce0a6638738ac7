#!/usr/bin/env bash
# Checks the built Corvane.lv2 bundle with LV2 tools that nobody here wrote.
#   check-lv2-tools.sh CHECK BUNDLE-DIR BIN-DIR
# CHECK: validate | exports | info | render | preset | jalv | ui
set -euo pipefail
check=$1 bundle=$2 bin=$3
stereo=urn:veltrano:corvane
mono=urn:veltrano:corvane:mono

# shellcheck source=../jack-server.sh
. "$(dirname "$0")/../jack-server.sh"
work=$(mktemp -d)
cleanup() {
  jack_server_stop
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A search path holding this bundle and nothing else.
mkdir "$work/lv2"
ln -s "$(cd "$bundle" && pwd)" "$work/lv2/"
export LV2_PATH=$work/lv2

case $check in
validate)
  # The bundle's Turtle against the LV2 schemas the lv2-dev package installs.
  mapfile -t schemas < <(dpkg -L lv2-dev | grep '\.ttl$')
  [ ${#schemas[@]} -gt 0 ] || fail "no LV2 schemas from lv2-dev"
  out=$(sord_validate "${schemas[@]}" "$bundle"/*.ttl 2>&1) || fail "sord_validate: $out"
  echo "$out" | tail -1
  grep -q "Found 0 errors" <<<"$out" || fail "$out"
  ;;

exports)
  symbols=$(nm -D --defined-only "$bundle/Corvane.so" | awk '$2 ~ /^[TDBVWRu]$/ {print $3}')
  [ "$symbols" = "lv2_descriptor" ] || fail "Corvane.so exports: $symbols"
  symbols=$(nm -D --defined-only "$bundle/CorvaneUI.so" | awk '$2 ~ /^[TDBVWRu]$/ {print $3}')
  [ "$symbols" = "lv2ui_descriptor" ] || fail "CorvaneUI.so exports: $symbols"
  ;;

info)
  for uri in $stereo $mono; do
    out=$(lv2info "$uri" 2>&1) || fail "lv2info $uri: $out"
    for symbol in gain output highpass_filter lowpass_filter filter_bypass preamp_bypass mic_pre phase \
                  oversampling enabled latency; do
      grep -q "Symbol: *$symbol\$" <<<"$out" || fail "$uri has no port $symbol"
    done
    for point in '0 = "-20dB"' '12 = "40dB"' '4 = "360Hz"' '4 = "2kHz"' '0 = "OFF"' '1 = "Oversampling On"'; do
      grep -qF "$point" <<<"$out" || fail "$uri lacks the scale point $point"
    done
    for symbol in filter_bypass preamp_bypass; do # engage switches read In and Out
      points=$(grep -B6 "Symbol: *$symbol\$" <<<"$out")
      grep -qF '0 = "Out"' <<<"$points" && grep -qF '1 = "In"' <<<"$points" || fail "$uri: $symbol is not labelled In/Out"
    done
    grep -q "Minimum: *-24.000000" <<<"$out" || fail "$uri: Output does not start at -24 dB"
    grep -q "Has latency: *yes, reported by port 10" <<<"$out" || fail "$uri reports no latency port"
    audio=$(grep -c "lv2core#AudioPort" <<<"$out")
    want=4
    [ "$uri" = "$mono" ] && want=2
    [ "$audio" -eq "$want" ] || fail "$uri has $audio audio ports, not $want"
  done
  echo "both plug-ins list every port, range and scale point"
  ;;

render)
  # The same file and settings through lv2file and through the command-line
  # host with the Audio Unit; after 2 s both must agree to within 1e-6.
  "$bin/corvane" render -q -o "$work/in.wav" -p "Preamp Bypass=0" >/dev/null
  lv2file -i "$work/in.wav" -o "$work/lv2.wav" -p gain:9 -p output:-2.5 -p highpass_filter:2 \
    -p lowpass_filter:3 -p filter_bypass:1 -p mic_pre:1 -p oversampling:1 "$stereo" >/dev/null 2>"$work/lv2file.log" ||
    fail "lv2file: $(cat "$work/lv2file.log")"
  "$bin/corvane" render -q "$work/in.wav" -o "$work/au.wav" -p Gain=25dB -p Output=-2.5 \
    -p "Highpass Filter=70Hz" -p "Lowpass Filter=4kHz" -p "Filter Bypass=on" -p "Mic Pre=1" \
    -p Oversampling=on --keep-latency
  "$bin/audio_diff" "$work/lv2.wav" "$work/au.wav" --skip 2 --tolerance 1e-6
  ;;

preset)
  # An .aupreset as an LV2 preset bundle: lv2file with that preset renders
  # what the command-line host renders with the .aupreset; and back again.
  "$bin/corvane" render -q -o "$work/in.wav" -p "Preamp Bypass=0" >/dev/null
  "$bin/corvane" render -q -o "$work/ignored.wav" --save-state "$work/warm.aupreset" -p Gain=30dB \
    -p "Lowpass Filter=2kHz" -p "Filter Bypass=on" -p Phase=1 -p Oversampling=on
  "$bin/corvane" lv2-preset "$work/warm.aupreset" -o "$work/lv2/warm.lv2"
  lv2file -L "$stereo" | grep -qx "Preset: warm" || fail "lv2file does not list the preset: $(lv2file -L "$stereo")"
  lv2file -i "$work/in.wav" -o "$work/lv2.wav" -P warm "$stereo" >/dev/null 2>"$work/lv2file.log" ||
    fail "lv2file: $(cat "$work/lv2file.log")"
  "$bin/corvane" render -q "$work/in.wav" -o "$work/au.wav" --state "$work/warm.aupreset" --keep-latency
  "$bin/audio_diff" "$work/lv2.wav" "$work/au.wav" --skip 2 --tolerance 1e-6
  "$bin/corvane" lv2-preset "$work/lv2/warm.lv2" -o "$work/back.aupreset"
  "$bin/corvane" lv2-preset "$work/back.aupreset" -o "$work/again.lv2"
  cmp "$work/lv2/warm.lv2/warm.ttl" "$work/again.lv2/warm.ttl" || fail "the preset changed on the way back"
  ;;

jalv)
  # 20 s on a JACK server with the dummy driver while the controls change.
  export JACK_DEFAULT_SERVER=corvane_test_$$
  jack_server_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" || fail "no JACK server"
  {
    for step in $(seq 0 39); do
      printf 'gain = %d\n' $((step % 13))
      printf 'output = %d\n' $((step % 7 * 4 - 12))
      printf 'highpass_filter = %d\nlowpass_filter = %d\n' $((step % 5)) $(((step + 2) % 5))
      printf 'filter_bypass = %d\noversampling = %d\nmic_pre = %d\nphase = %d\nenabled = %d\n' \
        $((step % 2)) $((step / 2 % 2)) $((step / 3 % 2)) $((step / 4 % 2)) $((step % 9 != 8))
      sleep 0.5
    done
    printf 'filter_bypass = 1\nlowpass_filter = 2\noversampling = 1\n'
    sleep 0.5
    printf 'monitors\n'
    sleep 0.2
  } | jalv -n "corvane_test_$$" "$stereo" >"$work/jalv.out" 2>"$work/jalv.err" || fail "jalv exited with $?: $(cat "$work/jalv.err")"
  jack_server_alive "$jack_server_pid" || fail "the JACK server died: $(cat "$work/jackd.log")"
  if grep -qi "error" "$work/jalv.err" "$work/jalv.out"; then
    fail "jalv reported: $(grep -i error "$work/jalv.err" "$work/jalv.out")"
  fi
  grep -q "latency = 81" "$work/jalv.out" || fail "the latency port did not follow: $(tail -5 "$work/jalv.out")"
  echo "jalv ran 20 s with changing controls; latency port at 81 after the last change"
  ;;

ui)
  # The editor in jalv.gtk3 under a virtual X server: a click on the
  # oversampling switch reaches the host's port, and the plug-in behind it
  # then reports 64 frames of latency, which the host gives its JACK ports.
  grep -q "ui:X11UI" "$bundle/manifest.ttl" || { echo "this build has no editor"; exit 77; }
  export JACK_DEFAULT_SERVER=corvane_test_$$
  jack_server_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" || fail "no JACK server"
  cat >"$work/click.sh" <<'CLICK'
#!/usr/bin/env bash
# Runs inside the virtual X server: the host, one click, the host's report.
out=$1 uri=$2
jalv.gtk3 --print-controls "$uri" >"$out/jalv.out" 2>"$out/jalv.err" &
host=$!
view=$(timeout 20 xdotool search --sync --class IGraphicsView_vCorvane | head -1)
if [ -n "$view" ]; then
  sleep 1
  jack_lsp -l >"$out/before.txt" 2>&1
  xdotool mousemove --window "$view" 270 320 click 1
  sleep 1.5
  jack_lsp -l >"$out/after.txt" 2>&1
  # The user enlarges the host's window: the editor fills what it gets, at 200 % at most
  # (1150 x 666, centred), and the switch is where it is drawn now.
  xdotool windowsize "$(xdotool search --name '^Corvane$' | head -1)" 1200 800
  sleep 1.5
  xdotool getwindowgeometry "$view" >"$out/resized.txt"
  eval "$(xdotool getwindowgeometry --shell "$view")"
  xdotool mousemove --window "$view" $(((WIDTH - 1150) / 2 + 540)) $(((HEIGHT - 666) / 2 + 640)) click 1
  sleep 1.5
  jack_lsp -l >"$out/again.txt" 2>&1
fi
kill "$host" 2>/dev/null
wait "$host" 2>/dev/null
[ -n "$view" ]
CLICK
  chmod +x "$work/click.sh"
  xvfb-run -a -s "-screen 0 1024x768x24" "$work/click.sh" "$work" "$stereo" ||
    fail "the editor did not open in jalv.gtk3: $(cat "$work/jalv.err")"
  grep -q "cannot load" "$work/jalv.err" && fail "the editor misses resources: $(cat "$work/jalv.err")"
  grep -q "\[ 64 64 \]" "$work/before.txt" && fail "the latency was 64 before the click"
  grep -A2 "^Corvane:out_1" "$work/after.txt" | grep -q "playback latency = \[ 64 64 \]" ||
    fail "the click did not reach the host: $(cat "$work/after.txt")"
  grep -q "Geometry: 1200x" "$work/resized.txt" || fail "the editor did not take the host's new size: $(cat "$work/resized.txt")"
  grep -A2 "^Corvane:out_1" "$work/again.txt" | grep -q "playback latency = \[ 0 0 \]" ||
    fail "a click on the zoomed editor did not reach the switch: $(cat "$work/again.txt")"
  echo "jalv.gtk3 embedded the editor; clicks on the oversampling switch set the host's port, also zoomed to fit"
  echo "the host's larger window"
  ;;

*)
  fail "unknown check $check"
  ;;
esac
