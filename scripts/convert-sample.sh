#!/usr/bin/env bash
# Builds vellumor and converts the sample print job into a PDF, headless, the way the printer
# port hands over a job: PostScript on standard input, no display. Prints where the PDF went.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUMOR_TESTS=OFF >/dev/null
cmake --build build --target vellumor

# A private home, temporary folder and settings store, so the demo leaves the user's own alone.
demo="$PWD/build/demo"
rm -rf "$demo"
mkdir -p "$demo/home/Desktop" "$demo/tmp"
chmod 700 "$demo/tmp"

env -u DISPLAY -u WAYLAND_DISPLAY HOME="$demo/home" TMPDIR="$demo/tmp" VELLUMOR_REGISTRY="$demo/registry" \
  build/bin/vellumor < samples/quarterly-report.ps
