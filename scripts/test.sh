#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux
cmake --build --preset linux
ctest --preset linux
