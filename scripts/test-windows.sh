#!/usr/bin/env bash
# Builds the x86_64 Windows programs (scripts/build-windows.sh) and runs their tests under Wine
# in a private Wine prefix made afresh under the build folder, without a display. Then checks the
# deliverables' exports and imports and the PDFs the engine tests wrote, builds the installer
# (scripts/build-windows-installer.sh) and runs the whole-system test on it in a prefix of its
# own (tests/windows/installer-test.sh), and prints a summary.
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
ctest --test-dir "$build" -j2 --timeout 300 --output-on-failure || status=1

# What the deliverables show to the system's loader: Updater.dll exports Update and nothing else.
exports="$($objdump -p "$build/bin/Updater.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  grep -E '^\s*\[ *[0-9]+\]' || true)"
if [ "$(echo "$exports" | sed -E 's/^\s*\[ *[0-9]+\] //')" != "Update" ]; then
  echo "FAILED: Updater.dll must export exactly Update, found: $exports" >&2
  status=1
else
  echo "Updater.dll exports: Update"
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

# The monitor, too, exports its one entry and nothing else.
exports="$($objdump -p "$build/bin/vellumor-monitor.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  grep -E '^\s*\[ *[0-9]+\]' | sed -E 's/^\s*\[ *[0-9]+\] //' || true)"
if [ "$exports" != "InitializePrintMonitor2" ]; then
  echo "FAILED: vellumor-monitor.dll must export exactly InitializePrintMonitor2, found: $exports" >&2
  status=1
else
  echo "vellumor-monitor.dll exports: InitializePrintMonitor2"
fi

# The installer, and the whole product installed, printed to and uninstalled under Wine.
stop_wine
installer_counts=""
if "$root/scripts/build-windows-installer.sh"; then
  installer="$(ls "$build"/Vellumor-*-x64-setup.exe)"
  installer_log="$build/test-results/installer-test.log"
  "$root/tests/windows/installer-test.sh" "$build" "$installer" 2>&1 | tee "$installer_log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  installer_counts="$(sed -n 's/^Installer test under Wine: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$installer_log")"
else
  status=1
fi
[ -n "$installer_counts" ] || installer_counts="0 1"

# Summary of every GoogleTest program's results, and the installer test's checks.
awk 'match($0, /<testsuites tests="[0-9]+" failures="[0-9]+" disabled="[0-9]+" errors="[0-9]+"/) {
       split(substr($0, RSTART, RLENGTH), f, "\"")
       tests += f[2]; failures += f[4]; disabled += f[6]; errors += f[8]
     }
     /<testcase / && /result="skipped"/ { skipped++ }
     END {
       split(extra, e, " ")
       tests += e[1] + e[2]; failures += e[2]
       run = tests - disabled
       printf "Windows tests under Wine: %d run, %d passed, %d failed, %d skipped\n",
              run, run - failures - errors - skipped, failures + errors, skipped
       printf "%d passed, %d failed\n", run - failures - errors - skipped, failures + errors
     }' extra="$installer_counts" "$build"/test-results/*.xml
exit "$status"
