#!/usr/bin/env bash
# Builds the libraries the Windows programs link that Debian ships no MinGW-w64 build of: qpdf,
# which reads every PDF back before it replaces the user's file, with its native crypto, zlib
# (Debian's libz-mingw-w64-dev) and libjpeg-turbo. Usage: build-windows-libraries.sh x86_64|i686
# PREFIX. Static libraries and headers go to PREFIX; a stamp there makes a second run with the
# same sources and options return at once.
#
# The sources are Debian's own source packages, fetched with apt-get through a source list of
# this script's own (the machine's apt configuration stays as it is) into build-windows-sources/.
# apt checks the .dsc files against the archive's signed index and dpkg-source checks every
# tarball against its .dsc.
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
qpdf_source=qpdf=11.3.0-1+deb12u1
jpeg_source=libjpeg-turbo=1:2.1.5-2
toolchain="$root/cmake/toolchains/$arch-w64-mingw32.cmake"

# Anything that changes what is built changes the stamp: the source versions, this script and the
# toolchain file.
stamp="$prefix/built-from"
wanted="$qpdf_source $jpeg_source $(cat "$0" "$toolchain" "$root/cmake/toolchains/MinGW.cmake" | sha256sum | cut -d' ' -f1)"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  echo "Windows ($arch) libraries in $prefix are up to date"
  exit 0
fi

sources="$root/build-windows-sources"
apt_dir="$sources/apt"
apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
)
# The folder a source package unpacks into: "<name>-<upstream version>".
unpacked() {
  local name="${1%%=*}" version="${1#*=}"
  version="${version#*:}"
  echo "$sources/$name-${version%-*}"
}

fetch() {
  local missing=()
  for package in "$qpdf_source" "$jpeg_source"; do
    [ -d "$(unpacked "$package")" ] || missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  # The same archive and suites as the machine's packages, as source entries.
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  cat >"$apt_dir/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
  # apt drops to its sandbox user for downloads; that user may not write into this folder.
  local sandbox=()
  if [ "$(id -u)" -eq 0 ]; then
    sandbox=(-o APT::Sandbox::User=root)
  fi
  apt-get "${apt_options[@]}" "${sandbox[@]}" update
  (cd "$sources" && apt-get "${apt_options[@]}" "${sandbox[@]}" source "${missing[@]}")
}

fetch
jpeg_dir="$(unpacked "$jpeg_source")"
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

cmake -S "$jpeg_dir" -B "$work/libjpeg-turbo" "${common[@]}" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
cmake --build "$work/libjpeg-turbo" -j2 --target jpeg-static
mkdir -p "$prefix/lib/pkgconfig" "$prefix/include"
install -m 0644 "$work/libjpeg-turbo/libjpeg.a" "$prefix/lib/"
install -m 0644 "$jpeg_dir"/{jpeglib.h,jmorecfg.h,jerror.h} "$work/libjpeg-turbo/jconfig.h" "$prefix/include/"

# qpdf finds zlib and libjpeg through pkg-config: the MinGW tree's and the prefix's only.
cat >"$prefix/lib/pkgconfig/libjpeg.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: libjpeg
Description: JPEG image codec (libjpeg-turbo, static)
Version: 2.1.5
Libs: -L\${libdir} -ljpeg
Cflags: -I\${includedir}
EOF
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:/usr/$arch-w64-mingw32/lib/pkgconfig"
cmake -S "$qpdf_dir" -B "$work/qpdf" "${common[@]}" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
  -DUSE_IMPLICIT_CRYPTO=OFF -DREQUIRE_CRYPTO_NATIVE=ON -DBUILD_DOC=OFF -DINSTALL_EXAMPLES=OFF
cmake --build "$work/qpdf" -j2 --target libqpdf
cmake --install "$work/qpdf" --component dev
rm -rf "$work"
echo "$wanted" >"$stamp"
echo "Windows ($arch) libraries in $prefix"
