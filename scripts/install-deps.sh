#!/usr/bin/env bash
# Installs, from Debian's packages, whichever of the named packages this machine lacks, without
# what they only recommend (for wine, half its size).
# Usage: scripts/install-deps.sh [package ...]   (default: what building and testing need)
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(cmake g++ make libgtest-dev libbenchmark-dev)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
