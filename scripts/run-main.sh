#!/usr/bin/env bash
# The main job: what a newcomer runs to see the system at work.
set -euo pipefail
cd "$(dirname "$0")/.."
exec ./build/bin/sorvanelix-info
