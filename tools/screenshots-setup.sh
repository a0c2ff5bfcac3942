#!/usr/bin/env bash
# Pictures of every page of the installer's wizard beside the sample package, taken under Xvfb:
# each page of the real form (Qt's own grab) and the `setup` program's window as the screen
# shows it (ImageMagick's import). Output: screenshots/out/setup/.
# Usage: tools/screenshots-setup.sh [build folder]   (default: build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset default >/dev/null
  build=build/default
fi
build=$(cd "$build" && pwd)
cmake --build "$build" --target setup make_sample_package setup_wizard_screens -j"$(nproc)"

out=screenshots/out/setup
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tests/setup_engine/make_sample_package" "$work/package"
cp "$build/src/setup/wizard/setup" "$work/package/setup"

# Runs inside Xvfb: the wizard's pages, then the program itself as a user starts it.
cat >"$work/inside.sh" <<'INSIDE'
set -u
screens=$1 package=$2 out=$3 windows=$4
OBRAVEL_WINROOT="$windows/walk" "$screens" "$package" "$out"
OBRAVEL_WINROOT="$windows/program" "$package/setup" &
pid=$!
sleep 3
import -window root "$out/00-setup-program.png" && echo "$out/00-setup-program.png"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit 0
INSIDE

xvfb-run -a -s "-screen 0 640x480x24" bash "$work/inside.sh" \
  "$build/tests/setup_wizard/setup_wizard_screens" "$work/package" "$PWD/$out" "$work/windows"
echo "Screenshots in $out"
