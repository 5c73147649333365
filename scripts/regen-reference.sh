#!/usr/bin/env bash
# Regenerates the reference texts kept in the repository from the member and
# event tables: the help window's panes (windows/help/*.txt) and
# docs/reference.md. Run it after changing a member or an event of Dialog;
# the drift tests fail until it has run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target sorvanelix-reference
"$build/bin/sorvanelix-reference" "$PWD"
git status --short windows/help docs/reference.md
