#!/usr/bin/env bash
# Builds the x86_64 Windows programs (scripts/build-windows.sh) and runs their tests under Wine
# in a private Wine prefix made afresh under the build folder: first those that need no display
# without one, then the windows' tests on a virtual display of their own (Xvfb). Then checks the
# deliverables' exports and imports and the PDFs the engine tests wrote, and prints a summary.
# (32-bit Windows programs do not run on this machine's kernel; build-windows.sh i686 builds them.)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build-windows.sh" x86_64
build="$root/build-windows-x86_64"
objdump=x86_64-w64-mingw32-objdump

export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
# Nothing may open a window: no display, and no offer to install Wine's Mono or Gecko.
unset DISPLAY WAYLAND_DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine links the user's Desktop and other folders to the home folder; a home of the run's own
# keeps the tests' PDFs out of the real one.
export HOME="$build/wine-home"
rm -rf "$WINEPREFIX" "$HOME" "$build/test-results" "$build/test-pdfs"
mkdir -p "$HOME" "$build/test-results" "$build/test-pdfs"
export VELLUMOR_WINDOWS_PDF_FOLDER="$build/test-pdfs"

stop_wine() { /usr/lib/wine/wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
echo "Making the Wine prefix $WINEPREFIX"
/usr/lib/wine/wine64 wineboot --init
/usr/lib/wine/wineserver -w
# The desktop a Windows user has: a folder of its own, as "Shell Folders" names it.
desktop="$WINEPREFIX/drive_c/users/$(id -un)/Desktop"
if [ -L "$desktop" ]; then
  rm "$desktop"
  mkdir "$desktop"
fi

status=0
ctest --test-dir "$build" -j2 --timeout 300 --output-on-failure -LE display || status=1

# The windows' tests on a display of their own (a virtual X server on a free display number),
# which leaves a picture of every window in screenshots/ as PNG files.
rm -rf "$build/screenshots"
mkdir -p "$build/screenshots"
display_file="$build/xvfb-display"
: >"$display_file"
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$display_file" 2>"$build/xvfb.log" &
xvfb=$!
stop_all() {
  stop_wine
  kill "$xvfb" 2>/dev/null || true
}
trap stop_all EXIT
for _ in $(seq 1 600); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
if [ ! -s "$display_file" ]; then
  echo "FAILED: the virtual display did not start (see $build/xvfb.log)" >&2
  status=1
else
  (
    export DISPLAY=":$(tr -d '\n' <"$display_file")"
    export VELLUMOR_SCREENSHOTS="$build/screenshots"
    # A wineserver started without the display would not reach it.
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    /usr/lib/wine/wineserver -w
    # No window manager runs on the virtual display: Wine draws the windows' frames and captions
    # itself, so that they are there to be seen and clicked.
    for setting in Managed Decorated; do
      /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v "$setting" /d N /f >/dev/null
    done
    ctest --test-dir "$build" -j1 --timeout 600 --output-on-failure -L display
  ) || status=1
  for picture in "$build"/screenshots/*.bmp; do
    [ -e "$picture" ] || continue
    /usr/bin/convert "$picture" "${picture%.bmp}.png" && rm "$picture"
  done
  echo "Screenshots of the windows: $build/screenshots"
fi

# What the deliverables show to the system's loader: Updater.dll exports Update and nothing else.
exports="$($objdump -p "$build/bin/Updater.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  grep -E '^\s*\[ *[0-9]+\]' || true)"
if [ "$(echo "$exports" | sed -E 's/^\s*\[ *[0-9]+\] //')" != "Update" ]; then
  echo "FAILED: Updater.dll must export exactly Update, found: $exports" >&2
  status=1
else
  echo "Updater.dll exports: Update"
fi
# It reads the web through the system's own client.
if ! grep -qi 'DLL Name: WININET.dll' <<<"$($objdump -p "$build/bin/Updater.dll")"; then
  echo "FAILED: Updater.dll does not import WinINet" >&2
  status=1
else
  echo "Updater.dll imports WININET.dll"
fi
# vellumor.exe imports Ghostscript's DLL, bound late: objdump shows the delay-load import
# directory filled, and LLVM's reader names the DLL in it (binutils 2.40 does not list it).
program="$build/bin/vellumor.exe"
headers="$($objdump -p "$program")"
delayed="$(llvm-readobj-14 --coff-imports "$program" | grep -A1 'DelayImport {' || true)"
if ! grep -qE '^Entry d [0-9a-f]*[1-9a-f][0-9a-f]* [0-9a-f]+ Delay Import Directory' <<<"$headers"; then
  echo "FAILED: vellumor.exe has no delay-load import directory" >&2
  status=1
elif ! grep -q 'Name: gsdll64.dll' <<<"$delayed"; then
  echo "FAILED: vellumor.exe does not import gsdll64.dll" >&2
  status=1
else
  echo "vellumor.exe imports gsdll64.dll (delay-loaded)"
fi
for pdf in "$build"/test-pdfs/*.pdf; do
  [ -e "$pdf" ] || { echo "FAILED: the engine tests left no PDF to check" >&2; status=1; break; }
  if ! qpdf --check "$pdf" >/dev/null; then
    echo "FAILED: qpdf does not accept $pdf" >&2
    status=1
  fi
done

# Summary of every GoogleTest program's results.
awk 'match($0, /<testsuites tests="[0-9]+" failures="[0-9]+" disabled="[0-9]+" errors="[0-9]+"/) {
       split(substr($0, RSTART, RLENGTH), f, "\"")
       tests += f[2]; failures += f[4]; disabled += f[6]; errors += f[8]
     }
     /<testcase / && /result="skipped"/ { skipped++ }
     END {
       run = tests - disabled
       printf "Windows tests under Wine: %d run, %d passed, %d failed, %d skipped\n",
              run, run - failures - errors - skipped, failures + errors, skipped
       printf "%d passed, %d failed\n", run - failures - errors - skipped, failures + errors
     }' "$build"/test-results/*.xml
exit "$status"
