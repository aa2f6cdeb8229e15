#!/usr/bin/env bash
# Builds the libraries the Windows programs link that Debian ships no MinGW-w64 build of: qpdf,
# which reads every PDF back before it replaces the user's file, with its native crypto, zlib
# (Debian's libz-mingw-w64-dev) and libjpeg-turbo. Usage: build-windows-libraries.sh x86_64|i686
# PREFIX. Static libraries and headers go to PREFIX; a stamp there makes a second run with the
# same sources and options return at once.
#
# The sources are Debian's own source packages (scripts/windows-sources.sh fetches them).
set -euo pipefail

arch="${1:-}"
prefix="${2:-}"
case "$arch" in
  x86_64 | i686) ;;
  *)
    echo "usage: $0 x86_64|i686 PREFIX" >&2
    exit 2
    ;;
esac
[ -n "$prefix" ] || {
  echo "usage: $0 x86_64|i686 PREFIX" >&2
  exit 2
}

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=windows-sources.sh
. "$root/scripts/windows-sources.sh"
qpdf_source=qpdf=11.3.0-1+deb12u1
toolchain="$root/cmake/toolchains/$arch-w64-mingw32.cmake"

# Anything that changes what is built changes the stamp: the source versions, the scripts and the
# toolchain files.
stamp="$prefix/built-from"
wanted="$qpdf_source $windows_jpeg_source $(cat "$0" "$root/scripts/windows-sources.sh" "$toolchain" "$root/cmake/toolchains/MinGW.cmake" | sha256sum | cut -d' ' -f1)"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  echo "Windows ($arch) libraries in $prefix are up to date"
  exit 0
fi

fetch_sources "$qpdf_source" "$windows_jpeg_source"
qpdf_dir="$(unpacked "$qpdf_source")"

# qpdf's configuration names the library "Advapi32"; the MinGW-w64 file is libadvapi32.a, and a
# case-sensitive file system finds no other. Without it every header check fails and the build
# stops on a missing <stdint.h>.
if grep -q 'CMAKE_REQUIRED_LIBRARIES Advapi32' "$qpdf_dir/CMakeLists.txt"; then
  sed -i 's/CMAKE_REQUIRED_LIBRARIES Advapi32/CMAKE_REQUIRED_LIBRARIES advapi32/' "$qpdf_dir/CMakeLists.txt"
fi

work="$prefix/build"
rm -rf "$prefix"
mkdir -p "$work"
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix")

build_windows_jpeg "$toolchain" "$work/libjpeg-turbo" "$prefix"
# qpdf finds zlib and libjpeg through pkg-config: the MinGW tree's and the prefix's only.
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:/usr/$arch-w64-mingw32/lib/pkgconfig"
cmake -S "$qpdf_dir" -B "$work/qpdf" "${common[@]}" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
  -DUSE_IMPLICIT_CRYPTO=OFF -DREQUIRE_CRYPTO_NATIVE=ON -DBUILD_DOC=OFF -DINSTALL_EXAMPLES=OFF
cmake --build "$work/qpdf" -j2 --target libqpdf
cmake --install "$work/qpdf" --component dev
rm -rf "$work"
echo "$wanted" >"$stamp"
echo "Windows ($arch) libraries in $prefix"
