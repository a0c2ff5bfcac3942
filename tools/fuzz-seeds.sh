#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each once over its committed seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_all -j"$(nproc)"
shopt -s nullglob
ran=0
for corpus in fuzz/*/corpus; do
  name=$(basename "$(dirname "$corpus")")
  exe=build/fuzz/fuzz/fuzz_$name
  [ -x "$exe" ] || { echo "missing fuzz target $exe"; exit 1; }
  "$exe" -runs=0 "$corpus"
  ran=$((ran + 1))
done
echo "fuzz seed corpora run: $ran"
