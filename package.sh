#!/usr/bin/env bash
# Builds the program and its Debian package, build/projectsales_*.deb.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
cmake -S . -B build
cmake --build build -j2 --target programs
(cd build && cpack -G DEB)
echo "Install it with: sudo apt install ./$(ls -t build/projectsales_*.deb | head -1)"
