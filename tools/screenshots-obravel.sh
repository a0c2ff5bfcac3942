#!/usr/bin/env bash
# Pictures of the estimating program under Xvfb: the Obravel program as a user starts it (the
# screen as ImageMagick's import sees it), and the real main window over the tests' sample
# database with a budget chosen, a compound selected, the breakdown by cost type, and the report
# window (Qt's own grab). Output: screenshots/out/obravel/.
# Usage: tools/screenshots-obravel.sh [build folder]   (default: build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset default >/dev/null
  build=build/default
fi
build=$(cd "$build" && pwd)
cmake --build "$build" --target Obravel obravel_screens -j"$(nproc)"

out=screenshots/out/obravel
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs inside Xvfb: the program itself first, then the forms over the sample database.
cat >"$work/inside.sh" <<'INSIDE'
set -u
program=$1 screens=$2 out=$3
"$program" &
pid=$!
sleep 3
import -window root "$out/00-obravel-program.png" && echo "$out/00-obravel-program.png"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
"$screens" "$out"
INSIDE

xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/inside.sh" \
  "$build/src/estimating/forms/Obravel" "$build/tests/estimating_forms/obravel_screens" "$PWD/$out"
echo "Screenshots in $out"
