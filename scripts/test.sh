#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build natively and under sanitizers,
# then the Windows build under Wine. Installs the cross compiler and Wine when run as root and they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
[ -x /usr/lib/wine/wine64 ] || missing+=(wine64)
[ -f /usr/include/stb/stb_image_write.h ] || missing+=(libstb-dev)
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "The tests need: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Linux, then the same suite under AddressSanitizer with UndefinedBehaviorSanitizer, and
# under ThreadSanitizer.
for preset in linux asan tsan; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

cmake --preset windows
cmake --build --preset windows
# One Wine prefix for every Windows test, made before they start; the test preset uses it.
export WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
ctest --preset windows
