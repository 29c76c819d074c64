#!/usr/bin/env bash
# Builds the benchmark, writes the largest-data file once (build/bench/full.db,
# the same bytes every time) and measures Corvana on it against its floors.
# The table goes to the screen, the figures to build/bench/results.json.
# Usage: scripts/bench.sh [RUNS]     (each figure is the median of RUNS runs; 5)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target corvana_bench -j "$(nproc)"
file=build/bench/full.db
if [ ! -f "$file" ]; then
  echo "Writing $file (a few minutes)..."
  rm -f "$file.part" "$file.part-journal" "$file.part.lock"
  build/bench/corvana_bench generate "$file.part"
  mv "$file.part" "$file"
fi
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
     "$(awk '/MemTotal/ {printf "%.0f GB", $2/1048576}' /proc/meminfo) memory"
QT_QPA_PLATFORM=offscreen build/bench/corvana_bench run "$file" --runs "$runs" --json build/bench/results.json
