#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
# Usage: tools/test.sh [preset]   (ci: the default; asan: AddressSanitizer + UBSan; tsan)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-ci}
bash tools/deps.sh
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 LANG=C.UTF-8
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
ctest --preset "$preset"
