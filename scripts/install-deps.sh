#!/usr/bin/env bash
# Installs the Debian packages Vellumor needs to build, run and test, when any is missing
# (with --windows: those of the Windows cross-build and its tests under Wine).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgs-dev ghostscript
  qt6-base-dev qt6-base-dev-tools libqt6test6 qt6-qpa-plugins libcurl4-openssl-dev libcups2-dev
  xvfb xauth xdotool libxcb1-dev
  libgtest-dev libgmock-dev
  libqpdf-dev qpdf poppler-utils openssl
  enscript groff
  cups cups-client cups-filters cups-ipp-utils cups-ppdc
  clang libclang-rt-14-dev
  dpkg-dev librsvg2-bin lintian desktop-file-utils appstream man-db xdg-utils
  locales
)

# With --windows: the MinGW-w64 cross compilers (POSIX thread model) with LLD and LLVM's
# dlltool, which together write the delay-load import directory, zlib for MinGW-w64 and dpkg-source to unpack the sources of the
# libraries built for Windows, autoconf to regenerate Ghostscript's configure script as Debian's
# build does, Wine's 64-bit loader for the x86_64 test programs and its 32-bit one (an i386
# package) for the i686 ones, GoogleTest's source to build it with the cross compiler, and the
# Linux engine and readers the Windows engine's PDFs are compared with, and NSIS for the installer;
# Qt to draw the windows' images on this machine, and a display server of its own, a pointer and
# keyboard driver and a screen grabber for the tests of the windows under Wine.
windows=0
if [ "${1:-}" = "--windows" ]; then
  windows=1
  packages=(
    cmake ninja-build
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix lld llvm-14 libz-mingw-w64-dev dpkg-dev autoconf
    wine64 wine32:i386
    googletest libgs-dev ghostscript qpdf poppler-utils
    nsis
    qt6-base-dev xvfb xauth xdotool imagemagick
  )
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  # 32-bit Wine is a package of the i386 architecture, which apt offers only once dpkg knows it.
  if [ "$windows" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A locale with a decimal comma, for the tests that check that numbers given to the engine keep
# their decimal point whatever the user's locale (they are skipped where it is missing).
if [ "${1:-}" != "--windows" ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the locale de_DE.UTF-8"
  "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen
fi
