#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the estimating program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
exe=build/default/src/estimating/forms/Obravel
if [ -x "$exe" ]; then
  exec "$exe"
fi
echo "Built; the Obravel program is not part of this build yet."
