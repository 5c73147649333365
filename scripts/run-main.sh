#!/usr/bin/env bash
# The main job: a script builds a dialog, shows it, lets the simulated user
# act on it, prints the events it receives and writes a picture of the window.
set -euo pipefail
cd "$(dirname "$0")/.."
./build/bin/sorvanelix-script examples/hello_dialog.js build/hello_dialog.png
echo "picture of the window: build/hello_dialog.png"
