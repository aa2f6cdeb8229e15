#!/usr/bin/env bash
# Builds vellumor and converts the sample print job into a PDF, headless, the way the printer
# port hands over a job: PostScript on standard input, no display. Prints where the PDF went.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# Headless needs no windows: the Qt module and the updater are left out of this build.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUMOR_TESTS=OFF -DVELLUMOR_QT_UI=OFF >/dev/null
cmake --build build-release --target vellumor

# A private home, temporary folder and settings store, so the demo leaves the user's own alone.
demo="$PWD/build-release/demo"
rm -rf "$demo"
mkdir -p "$demo/home/Desktop" "$demo/tmp"
chmod 700 "$demo/tmp"

env -u DISPLAY -u WAYLAND_DISPLAY HOME="$demo/home" TMPDIR="$demo/tmp" VELLUMOR_REGISTRY="$demo/registry" \
  build-release/bin/vellumor < samples/quarterly-report.ps
