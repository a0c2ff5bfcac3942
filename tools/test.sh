#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
# Usage: tools/test.sh [preset] [test program]   (ci: the default; asan: AddressSanitizer + UBSan;
# tsan: ThreadSanitizer). With a test program (e.g. setup_engine_tests) only it is built and run.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-ci}
program=${2:-}
bash tools/deps.sh
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 LANG=C.UTF-8
cmake --preset "$preset" >/dev/null
if [ -n "$program" ]; then
  cmake --build --preset "$preset" --target "$program" -j"$(nproc)"
  ctest --preset "$preset" -L "^${program}\$"
else
  cmake --build --preset "$preset" -j"$(nproc)"
  ctest --preset "$preset"
fi
