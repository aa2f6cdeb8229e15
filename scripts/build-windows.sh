#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64 into build-windows-<arch> (x86_64 by default,
# or i686): the program with its native windows, Updater.dll, the import library of
# Ghostscript's DLL, the stand-in DLL and the Windows test programs, after the libraries Debian
# has no MinGW-w64 build of (scripts/build-windows-libraries.sh, built once per build folder). No Qt. The programs link the
# C++ runtime statically, so they need no MinGW DLL beside them.
set -euo pipefail

arch="${1:-x86_64}"
case "$arch" in
  x86_64 | i686) ;;
  *)
    echo "usage: $0 [x86_64|i686]" >&2
    exit 2
    ;;
esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" --windows

build="$root/build-windows-$arch"
"$root/scripts/build-windows-libraries.sh" "$arch" "$build/libraries"
# The windows' images are drawn on this machine by the drawing programs of the Linux build (Qt),
# then compiled into the programs as resources.
cmake -S "$root/cmake/images" -B "$build/images" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build/images" -j2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$arch-w64-mingw32.cmake" \
  -DVELLUMOR_WINDOWS_LIBRARIES="$build/libraries" -DVELLUMOR_WINDOWS_IMAGES="$build/images/windows-images"
cmake --build "$build" -j2
echo "Windows ($arch) programs in $build/bin"
