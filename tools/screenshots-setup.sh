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

run_in_xvfb() {
  local screens=$1 package=$2 out=$3 windows=$4
  OBRAVEL_WINROOT="$windows/walk" "$screens" "$package" "$out"
  # The program itself, as a user starts it; its first page as the screen shows it.
  OBRAVEL_WINROOT="$windows/program" "$package/setup" &
  local pid=$!
  sleep 3
  if command -v import >/dev/null; then
    import -window root "$out/00-setup-program.png"
    echo "$out/00-setup-program.png"
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
export -f run_in_xvfb

xvfb-run -a -s "-screen 0 640x480x24" \
  bash -c 'run_in_xvfb "$@"' _ "$build/tests/setup_wizard/setup_wizard_screens" \
  "$work/package" "$PWD/$out" "$work/windows"
echo "Screenshots in $out"
