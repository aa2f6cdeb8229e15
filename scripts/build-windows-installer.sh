#!/usr/bin/env bash
# Writes the Windows installer build-windows-x86_64/Vellumor-<version>-x64-setup.exe with NSIS
# (packaging/windows/vellumor.nsi) from the x86_64 programs scripts/build-windows.sh built. The
# licence page shows LICENSE from the repository's root, which is also installed beside the
# program. Ghostscript is not part of the installer.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-windows-x86_64"
bin="$build/bin"

if [ ! -f "$root/LICENSE" ]; then
  echo "build-windows-installer: $root/LICENSE is missing; the installer shows it as its licence page" \
    "and installs it beside the program (the AGPL-3.0 text)" >&2
  exit 1
fi
command -v makensis >/dev/null || "$root/scripts/install-deps.sh" --windows
for file in vellumor.exe Updater.dll vellumor-monitor.dll vellumor-printer-setup.exe; do
  if [ ! -f "$bin/$file" ]; then
    echo "build-windows-installer: $bin/$file is missing: run scripts/build-windows.sh x86_64 first" >&2
    exit 1
  fi
done

version="$(sed -n 's/^project(Vellumor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
installer="$build/Vellumor-$version-x64-setup.exe"
makensis -V2 -WX -DVERSION="$version" -DBIN="$bin" -DLICENSE_FILE="$root/LICENSE" -DOUTFILE="$installer" \
  "$root/packaging/windows/vellumor.nsi"
echo "Windows installer: $installer ($(stat -c %s "$installer") bytes)"
