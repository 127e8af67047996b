#!/usr/bin/env bash
# Builds the tool with the simulated camera beside it, then runs one capture in ./capture.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
mkdir -p capture
cd capture
exec ../build/linux/bin/brenvik_capture
