#!/usr/bin/env bash
# Installs what Tolva needs to build and test on Debian 12, and the further
# packages named as arguments. Quick when all is there. The print tests
# start a CUPS scheduler of their own (cups-daemon); it is not started here.
set -euo pipefail

packages=(g++ clang libclang-rt-14-dev cmake ninja-build ccache pkg-config
          qt6-base-dev libgl-dev libxkbcommon-dev libgtest-dev libgmock-dev libbenchmark-dev
          libjpeg-dev libpng-dev zlib1g-dev libgif-dev fonts-dejavu-core poppler-utils
          cups-daemon "$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
