#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing ZEM2 needs.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=$(grep -v '^\s*#' tools/debian-packages.txt | tr '\n' ' ')
sudo_if_needed apt-get update -qq
sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $packages
