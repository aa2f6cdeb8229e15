# Sourced by the scripts that build libraries for Windows from Debian's own source packages
# (build-windows-libraries.sh, build-windows-engine.sh): where the sources are unpacked, how they
# are fetched, and the builds more than one of them needs. Expects $root (the repository).
#
# The sources are fetched with apt-get through a source list of this file's own (the machine's
# apt configuration stays as it is) into build-windows-sources/. apt checks the .dsc files
# against the archive's signed index and dpkg-source checks every tarball against its .dsc.

windows_sources="$root/build-windows-sources"

# The folder a source package unpacks into: "<name>-<upstream version>".
unpacked() {
  local name="${1%%=*}" version="${1#*=}"
  version="${version#*:}"
  echo "$windows_sources/$name-${version%-*}"
}

# Fetches and unpacks each of the given "name=version" source packages that is not unpacked yet.
fetch_sources() {
  local missing=() package
  for package in "$@"; do
    [ -d "$(unpacked "$package")" ] || missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  local apt_dir="$windows_sources/apt"
  local apt_options=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
  )
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  # The same archive and suites as the machine's packages, as source entries.
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  cat >"$apt_dir/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
  # apt drops to its sandbox user for downloads; that user may not write into this folder.
  if [ "$(id -u)" -eq 0 ]; then
    apt_options+=(-o APT::Sandbox::User=root)
  fi
  apt-get "${apt_options[@]}" update
  (cd "$windows_sources" && apt-get "${apt_options[@]}" source "${missing[@]}")
}

# libjpeg-turbo, static and without its SIMD code (which needs NASM), for the MinGW-w64 toolchain
# file $1, built in $2 and installed into the prefix $3 with a pkg-config file.
windows_jpeg_source=libjpeg-turbo=1:2.1.5-2
build_windows_jpeg() {
  local toolchain="$1" work="$2" prefix="$3" jpeg_dir
  jpeg_dir="$(unpacked "$windows_jpeg_source")"
  cmake -S "$jpeg_dir" -B "$work" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
  cmake --build "$work" -j2 --target jpeg-static
  mkdir -p "$prefix/lib/pkgconfig" "$prefix/include"
  install -m 0644 "$work/libjpeg.a" "$prefix/lib/"
  install -m 0644 "$jpeg_dir"/{jpeglib.h,jmorecfg.h,jerror.h} "$work/jconfig.h" "$prefix/include/"
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
}
