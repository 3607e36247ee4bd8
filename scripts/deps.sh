#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Does nothing when everything is present; needs root (or sudo) otherwise.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libsqlite3-dev pxlib-dev libfreexl-dev libcurl4-openssl-dev libjpeg-dev
    qt6-base-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libreoffice-calc-nogui
    fonts-liberation fonts-liberation2 poppler-utils
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

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
