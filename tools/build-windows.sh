#!/usr/bin/env bash
# Builds the 64-bit Windows VST3 with MinGW-w64 from Debian's packages alone, on a Debian 12 machine:
#   tools/build-windows.sh [--no-install]
# The bundle lands in build-windows/ZEM2_artefacts/Release/VST3/ZEM2.vst3 (Contents/x86_64-win/ZEM2.vst3).
# libjpeg, libpng, FFTW and GoogleTest have no MinGW packages in Debian, so they are built as static libraries
# from Debian's own source packages into build-windows/deps, once; later runs reuse them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${ZEM2_WINDOWS_BUILD:-$root/build-windows}
deps=$build/deps
sources=$build/deps-src
toolchain=$root/tools/windows/mingw-w64-x86_64.cmake
jobs=$(nproc)
host=x86_64-w64-mingw32

if [ "${1:-}" != "--no-install" ]; then
    tools/install-deps.sh tools/debian-packages.txt tools/windows/debian-packages.txt
fi

# Source packages come through an apt configuration of our own, so the machine's sources stay as they are.
fetch_sources()
{
    local apt=$build/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d" "$sources"
    cat > "$apt/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${ZEM2_DEBIAN_MIRROR:-http://deb.debian.org/debian} bookworm main
SOURCES
    cat > "$apt/apt.conf" <<CONF
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "$apt/sources.list.d";
Dir::State::Lists "$apt/lists";
Dir::Cache "$apt/cache";
APT::Sandbox::User "$(id -un)";
CONF
    export APT_CONFIG=$apt/apt.conf
    apt-get update -qq
    (cd "$sources" && apt-get source -qq libjpeg-turbo libpng1.6 fftw3)
    unset APT_CONFIG
}

source_dir() { find "$sources" -maxdepth 1 -type d -name "$1-*" | sort | tail -n 1; }

cmake_dependency()
{
    local name=$1 from=$2
    shift 2
    cmake -S "$from" -B "$build/deps-build/$name" -G Ninja -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DZEM2_WINDOWS_DEPS="$deps" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" "$@" > /dev/null
    cmake --build "$build/deps-build/$name" --parallel "$jobs" > /dev/null
    cmake --install "$build/deps-build/$name" > /dev/null
}

if [ ! -f "$deps/.complete" ]; then
    rm -rf "$deps" "$build/deps-build" "$sources"
    fetch_sources

    # Debian's JUCE takes the system's libjpeg (6.2 interface) and libpng in place of its bundled copies.
    jpeg=$(source_dir libjpeg-turbo)
    cmake_dependency jpeg "$jpeg" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
    cp "$jpeg/jpegint.h" "$deps/include/" # JUCE's loader reads the internals, as Debian's package allows
    cmake_dependency png "$(source_dir libpng1.6)" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF
    cmake_dependency gtest /usr/src/googletest -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON

    # The same single-precision FFTW as on Linux, with SSE2 codelets, linked into the bundle. MinGW has no
    # aligned malloc that FFTW recognises, so it aligns its buffers itself.
    fftw=$(source_dir fftw3)
    mkdir -p "$build/deps-build/fftw"
    (cd "$build/deps-build/fftw" \
        && "$fftw/configure" -q --host=$host --prefix="$deps" CC=$host-gcc-posix \
               --enable-float --enable-sse2 --disable-fortran --disable-shared --enable-static \
               --disable-doc --disable-threads --with-our-malloc > /dev/null \
        && make -s -j"$jobs" install > /dev/null)

    touch "$deps/.complete"
    echo "Static libraries for Windows built in $SECONDS s"
fi

# juceaide from Debian's JUCE package runs on this machine; everything else is built for Windows.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DZEM2_WINDOWS_DEPS="$deps" \
    -DJUCE_DIR=/usr/lib/x86_64-linux-gnu/cmake/JUCE-7.0.5 \
    -DZEM2_LINUX_BUILD_DIR="${ZEM2_LINUX_BUILD:-$root/build}"
cmake --build "$build" --parallel "$jobs"
echo "Windows bundle: $build/ZEM2_artefacts/Release/VST3/ZEM2.vst3"
