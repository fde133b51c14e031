#!/usr/bin/env bash
# Installs the Debian packages the editor needs to build, run and test.
# Quick and silent when everything is already there.
set -euo pipefail

# --package adds the tools that build and check the Debian package
# (scripts/package.sh, scripts/check-package.sh, scripts/render-icons.sh);
# any other argument is one more package.
packaging=(dpkg-dev file lintian appstream desktop-file-utils librsvg2-bin xvfb xdotool)
extra=()
for a in "$@"; do
  if [ "$a" = --package ]; then extra+=("${packaging[@]}"); else extra+=("$a"); fi
done

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n
  fonts-arphic-uming fonts-wqy-microhei
  "${extra[@]}"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
