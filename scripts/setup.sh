#!/usr/bin/env bash
# Installs with apt whatever this machine lacks to build, test and run Kelvanor; does nothing when all is there.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config ccache patch
    juce-modules-source-data
    libfreetype-dev libpng-dev libjpeg-dev libgif-dev zlib1g-dev
    libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev libxtst-dev
    libgtest-dev libgmock-dev libbenchmark-dev libsndfile1-dev
    xvfb x11-utils openbox fonts-dejavu-core
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "setup: installing ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo=sudo
    else
        echo "setup: these packages are missing and this user cannot install them: ${missing[*]}" >&2
        exit 1
    fi
else
    sudo=
fi

export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get update -qq || ! $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
    echo "setup: apt-get could not install: ${missing[*]}" >&2
    exit 1
fi
