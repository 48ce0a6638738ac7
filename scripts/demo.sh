#!/usr/bin/env bash
# The main job: for now, the plug-in's parameter table.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -x build/bin/corvane ]; then
  exec build/bin/corvane params
fi
echo "corvane has not been built yet"
