#!/usr/bin/env bash
# Installs the dependencies, builds ZEM2 in Release and installs ZEM2.vst3 into ~/.vst3.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEM2_VST3_INSTALL_DIR="$HOME/.vst3"
cmake --build build --target ZEM2_VST3
cmake --install build
echo "Installed $HOME/.vst3/ZEM2.vst3"
