#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need (as root).
set -euo pipefail
packages=(build-essential cmake clang libclang-rt-14-dev qt6-base-dev libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth imagemagick
          fonts-liberation2)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
