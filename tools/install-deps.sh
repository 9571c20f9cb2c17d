#!/usr/bin/env bash
# Installs with apt-get whatever Amiscan needs to build, test and run that is not there yet.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
    qt6-httpserver-dev qt6-websockets-dev libgl-dev libqt6sql6-sqlite
    libbenchmark-dev libxcb1-dev
    clang clang-tidy clang-format libclang-rt-14-dev llvm
    xvfb xauth x11-utils imagemagick
    desktop-file-utils appstream dpkg-dev lintian
    dbus-daemon python3 python3-icalendar
    qtkeychain-qt6-dev libsecret-1-0 gnome-keyring dex
    fonts-liberation fonts-dejavu-core
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
