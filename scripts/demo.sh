#!/usr/bin/env bash
# The main job: renders the built-in demo signal through the Corvane component,
# loaded from its bundle as any host would, with the preamp driven into its
# saturation and the console filters in, and writes corvane-demo.wav; then
# draws the editor at the same settings into corvane-editor.png, and the
# unit's measurements at those settings into corvane-analysis.png.
set -euo pipefail
cd "$(dirname "$0")/.."
build/bin/corvane render -o corvane-demo.wav \
  -p Gain=30dB -p "Highpass Filter=70Hz" -p "Lowpass Filter=8kHz" \
  -p "Filter Bypass=on" -p Oversampling=on -p Output=+2dB
echo "wrote $(pwd)/corvane-demo.wav"
# The editor at those settings, drawn offscreen as on a high-density display.
build/bin/corvane snapshot --scale 2 -o corvane-editor.png \
  -p Gain=30dB -p "Highpass Filter=70Hz" -p "Lowpass Filter=8kHz" \
  -p "Filter Bypass=on" -p Oversampling=on -p Output=+2dB
echo "wrote $(pwd)/corvane-editor.png"
# What those settings do, measured: response, harmonics, transfer curve.
build/bin/corvane analyze --scale 2 -o corvane-analysis.png \
  -p Gain=30dB -p "Highpass Filter=70Hz" -p "Lowpass Filter=8kHz" \
  -p "Filter Bypass=on" -p Oversampling=on -p Output=+2dB
echo "wrote $(pwd)/corvane-analysis.png"
