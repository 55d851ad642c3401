#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing ZEM2 needs:
#   tools/install-deps.sh [package-list ...]   (default: tools/debian-packages.txt)
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

[ $# -gt 0 ] || set -- tools/debian-packages.txt
packages=$(cat "$@" | grep -v '^\s*#' | tr '\n' ' ')
sudo_if_needed apt-get update -qq
sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $packages
