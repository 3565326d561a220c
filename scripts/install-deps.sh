#!/usr/bin/env bash
# Installs the Debian packages Mondrel needs to build, test and benchmark.
# Only missing packages are installed, so running it again costs nothing.
# Works as root, or through sudo for an ordinary user.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libpugixml-dev libpcre2-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  lua5.4 python3
  xvfb xauth fonts-liberation2 fonts-dejavu-core
  desktop-file-utils libxml2-utils shared-mime-info xdotool xclip imagemagick
  dpkg-dev groff-base
  poppler-utils
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
