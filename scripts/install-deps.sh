#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Annalux need.
# Idempotent: when everything is present it does nothing and prints nothing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-ipafont-gothic fonts-ipafont-mincho
    qt6-translations-l10n
    xvfb xauth
    libboost-dev
    xdg-utils shared-mime-info desktop-file-utils xdg-user-dirs libglib2.0-bin dpkg-dev
    dbus-daemon
    libcups2-dev poppler-utils
    libpng-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
