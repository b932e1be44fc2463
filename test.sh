#!/usr/bin/env bash
# Builds everything and runs every test, the server's suites on a private
# PostgreSQL server that lives as long as the tests; exits with CTest's code.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake -S . -B build
cmake --build build -j2

export QT_QPA_PLATFORM=offscreen
exec tools/test-server.sh ctest --test-dir build --output-on-failure
