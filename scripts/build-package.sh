#!/usr/bin/env bash
# Builds the Debian package: a Release build of its own in build-package/, then CPack; and the
# package's corresponding source, which the AGPL asks to be offered with it.
#
#   scripts/build-package.sh      writes build-package/vellumor_<version>_<arch>.deb and
#                                 build-package/vellumor-<version>-source.tar.xz
#
# Install it with `apt-get install ./build-package/vellumor_*.deb` (as root).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# The compiler and linker flags of a Debian build, hardening included. CMake reads CPPFLAGS
# nowhere, so the preprocessor's flags go with the compilers'. They count at the first
# configuration of the folder, when CMake takes them from the environment.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DVELLUMOR_TESTS=OFF
cmake --build build-package -j"$(nproc)"
rm -f build-package/vellumor_*.deb build-package/vellumor-*-source.tar.xz
(cd build-package && cpack -G DEB && cpack --config CPackSourceConfig.cmake)
ls build-package/vellumor_*.deb build-package/vellumor-*-source.tar.xz
