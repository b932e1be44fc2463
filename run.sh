#!/usr/bin/env bash
# Builds the program and starts it on the demo database demo/db.mdb.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

ensure_packages "${BUILD_PACKAGES[@]}" xvfb xauth
cmake -S . -B build
cmake --build build -j2

mkdir -p demo
if [ ! -e demo/db.mdb ]; then
  build/projectsales-newdb demo/db.mdb --demo
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Built. There is no display here (DISPLAY and WAYLAND_DISPLAY are empty),"
  echo "so the program was not started. Start it under a virtual X server with:"
  echo "  xvfb-run -a ./run.sh"
  exit 0
fi

cd demo
exec ../build/projectsales "$@"
