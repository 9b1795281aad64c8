#!/usr/bin/env bash
# Installs, from Debian's packages, whichever of the named packages this machine lacks, without
# what they only recommend (for wine, half its size); a package of another architecture
# (libgtest-dev:arm64) adds that architecture first. Standard output stays untouched, since run.sh
# keeps it for the dialogue: apt's output goes to build/install-deps.log, shown only on failure.
# Installing needs root, or sudo; without either this says what to run as root, and fails. Where
# there is no dpkg (macOS) it installs nothing, and the build finds what it finds.
# Usage: scripts/install-deps.sh [package ...]   (default: what building and testing need)
set -euo pipefail

if ! command -v dpkg-query >/dev/null; then
    echo "No dpkg here: nothing installed; install what the build lacks by this system's means." >&2
    exit 0
fi

packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(cmake g++ make libgtest-dev libbenchmark-dev)

missing=()
architectures=()
for package in "${packages[@]}"; do
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        continue
    fi
    missing+=("$package")
    if [[ $package == *:* ]]; then
        architecture=${package##*:}
        if [ "$architecture" != "$(dpkg --print-architecture)" ] &&
            ! dpkg --print-foreign-architectures | grep -qx "$architecture" &&
            [[ " ${architectures[*]} " != *" $architecture "* ]]; then
            architectures+=("$architecture")
        fi
    fi
done
[ ${#missing[@]} -gt 0 ] || exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        {
            echo "Missing Debian packages: ${missing[*]}. Installing them needs root; as root, run:"
            for architecture in "${architectures[@]}"; do
                echo "    dpkg --add-architecture $architecture"
            done
            echo "    apt-get update && apt-get install --no-install-recommends ${missing[*]}"
        } >&2
        exit 1
    fi
    as_root=(sudo)
fi

install() {
    local architecture
    for architecture in "${architectures[@]}"; do
        "${as_root[@]}" dpkg --add-architecture "$architecture" || return
    done
    "${as_root[@]}" apt-get update -q &&
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -q --no-install-recommends "${missing[@]}"
}

log="$(cd "$(dirname "$0")/.." && pwd)/build/install-deps.log"
mkdir -p "$(dirname "$log")"
echo "Installing ${missing[*]} from Debian's packages${as_root:+ with sudo}; log: $log" >&2
# Input from /dev/null: piped dialogue entries are the program's, not apt's.
if ! install </dev/null >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    echo "Installing ${missing[*]} failed; the whole log is in $log" >&2
    exit 1
fi
