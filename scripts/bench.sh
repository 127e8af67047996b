#!/usr/bin/env bash
# Measures the frame handler against a plain write, ignored frames, and whole runs, on
# Linux and on the Windows build under Wine: the figures of docs/PERFORMANCE.md. About five
# minutes. Google Benchmark for Windows is built from Debian's source package `benchmark`,
# fetched with apt-get source (as root, a deb-src entry is added for it when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
repetitions=9
wine=/usr/lib/wine/wine64
export WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

echo "== Linux"
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
build/linux/bin/handler_bench --benchmark_repetitions=$repetitions --benchmark_report_aggregates_only=true
python3 bench/run_latency.py build/linux/bin/brenvik_capture

echo "== Windows under Wine"
source_dir=build/benchmark-src
if [ ! -d "$source_dir" ]; then
  if ! apt-cache showsrc benchmark 2>/dev/null | grep -q '^Package: benchmark'; then
    [ "$(id -u)" = 0 ] || { echo "needs Debian's source package 'benchmark': add a deb-src entry" >&2; exit 1; }
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      >/etc/apt/sources.list.d/brenvik-bench-src.sources
    apt-get update -qq
  fi
  mkdir -p build/benchmark-download
  (cd build/benchmark-download && apt-get source -qq --download-only benchmark 2>/dev/null)
  mkdir -p "$source_dir"
  tar xzf build/benchmark-download/benchmark_*.orig.tar.gz -C "$source_dir" --strip-components=1
fi
cmake -S . -B build/windows-bench -G Ninja --toolchain cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_TESTING=OFF -DBRENVIK_BENCHMARK_SOURCE="$PWD/$source_dir" >/dev/null
cmake --build build/windows-bench --target handler_bench brenvik_capture brenvik_sim >/dev/null
[ -f "$WINEPREFIX/system.reg" ] || $wine wineboot --init >/dev/null 2>&1
$wine build/windows-bench/bin/handler_bench.exe --benchmark_repetitions=$repetitions --benchmark_report_aggregates_only=true
python3 bench/run_latency.py build/windows-bench/bin/brenvik_capture.exe --wine $wine
