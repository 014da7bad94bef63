#!/usr/bin/env bash
# Installs the Debian packages Tessaloop needs to build, run and test.
# Idempotent: it asks apt only for what is missing, and runs `apt-get update`
# only when something must be installed.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  portaudio19-dev libsdl2-dev libsndfile1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-apps x11-utils imagemagick alsa-utils sox openbox
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

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
