#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the designer need.
# Checks each package with dpkg first, so it is a quiet no-op when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev
  nlohmann-json3-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  xvfb xauth
)
if [ "${VOLTARIS_EXTRA_PACKAGES:-}" != "" ]; then
  # shellcheck disable=SC2206
  packages+=(${VOLTARIS_EXTRA_PACKAGES})
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
