#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Vorel need,
# when any of them is missing. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick fonts-noto-cjk openbox
  dosfstools desktop-file-utils xdg-utils libglib2.0-bin dpkg-dev file
  qt6-translations-l10n lintian
  exfatprogs exfat-fuse fuse3 libfuse3-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
