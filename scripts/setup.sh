#!/usr/bin/env bash
# Installs every Debian package the project needs (idempotent), as root or
# through sudo, then builds. With --run, also runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake pkg-config ninja-build ccache
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcairo2-dev libpango1.0-dev libgdk-pixbuf-2.0-dev libfontconfig-dev
  fontconfig fonts-dejavu-core fonts-wqy-microhei fonts-wine
  duktape-dev
  libsqlite3-dev
  libcups2-dev cups poppler-utils printer-driver-cups-pdf ghostscript
  libxcb1-dev libxkbcommon-dev libxkbcommon-x11-dev libxcb-xkb-dev libxcb-xtest0-dev xvfb
  openbox fluxbox
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

if [ "${1:-}" = "--run" ]; then
  exec ./scripts/run-main.sh
fi
