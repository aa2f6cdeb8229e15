#!/usr/bin/env bash
# Builds the Windows programs of one architecture (scripts/build-windows.sh; x86_64 by default, or
# i686) and Ghostscript's DLL (scripts/build-windows-engine.sh), and runs their tests under Wine
# (64-bit Wine for x86_64, 32-bit Wine for i686) in a private Wine prefix made afresh under the
# build folder: first the tests that need no display without one, then the windows' tests on a
# virtual display of their own (Xvfb), which leave a picture of every window in screenshots/. Then
# checks the deliverables' exports and imports and the PDFs
# the engine tests wrote; for x86_64 also builds the installer (scripts/build-windows-installer.sh)
# and runs the whole-system test on it in a prefix of its own (tests/windows/installer-test.sh).
# Prints a summary with the time each stage took.
set -euo pipefail

arch="${1:-x86_64}"
case "$arch" in
  x86_64) engine_dll=gsdll64.dll wine=/usr/lib/wine/wine64 ;;
  i686) engine_dll=gsdll32.dll wine=/usr/lib/wine/wine ;;
  *)
    echo "usage: $0 [x86_64|i686]" >&2
    exit 2
    ;;
esac
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
stages=()
stage() {
  local name="$1" started=$SECONDS result=0
  shift
  "$@" || result=$?
  stages+=("$name: $((SECONDS - started)) s")
  return "$result"
}
stage "programs ($arch)" "$root/scripts/build-windows.sh" "$arch"
stage "engine ($arch)" "$root/scripts/build-windows-engine.sh" "$arch"
build="$root/build-windows-$arch"
objdump=$arch-w64-mingw32-objdump

export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=-all
# Nothing may open a window: no display, and no offer to install Wine's Mono or Gecko.
unset DISPLAY WAYLAND_DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the Windows locale from the Unix one, and the engine its default paper from that:
# the C locale, US English to Wine, on every machine.
export LC_ALL=C.UTF-8
# Wine links the user's Desktop and other folders to the home folder; a home of the run's own
# keeps the tests' PDFs out of the real one.
export HOME="$build/wine-home"
rm -rf "$WINEPREFIX" "$HOME" "$build/test-results" "$build/test-pdfs"
mkdir -p "$HOME" "$build/test-results" "$build/test-pdfs"
export VELLUMOR_WINDOWS_PDF_FOLDER="$build/test-pdfs"

stop_wine() { /usr/lib/wine/wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
echo "Making the Wine prefix $WINEPREFIX"
"$wine" wineboot --init
/usr/lib/wine/wineserver -w
# The desktop a Windows user has: a folder of its own, as "Shell Folders" names it.
desktop="$WINEPREFIX/drive_c/users/$(id -un)/Desktop"
if [ -L "$desktop" ]; then
  rm "$desktop"
  mkdir "$desktop"
fi

status=0
tests_started=$SECONDS
ctest --test-dir "$build" -j2 --timeout 600 --output-on-failure -LE display || status=1
stages+=("tests under Wine ($arch): $((SECONDS - tests_started)) s")

# The windows' tests on a display of their own (a virtual X server on a free display number),
# which leaves a picture of every window in screenshots/ as PNG files.
windows_started=$SECONDS
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
      "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v "$setting" /d N /f >/dev/null
    done
    ctest --test-dir "$build" -j1 --timeout 600 --output-on-failure -L display
  ) || status=1
  for picture in "$build"/screenshots/*.bmp; do
    [ -e "$picture" ] || continue
    /usr/bin/convert "$picture" "${picture%.bmp}.png" && rm "$picture"
  done
  echo "Screenshots of the windows: $build/screenshots"
fi
kill "$xvfb" 2>/dev/null || true
trap stop_wine EXIT
stages+=("windows under Wine ($arch): $((SECONDS - windows_started)) s")

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
elif ! grep -q "Name: $engine_dll" <<<"$delayed"; then
  echo "FAILED: vellumor.exe does not import $engine_dll" >&2
  status=1
else
  echo "vellumor.exe imports $engine_dll (delay-loaded)"
fi
# The engine DLL exports every function the program imports, under the name the import library
# gives (undecorated); on x86 each returns as __stdcall does, popping its own arguments ("ret $N"
# with N the size the .def gives after "@"), the convention the program calls with.
engine="$build/engine/bin/$engine_dll"
engine_exports="$($objdump -p "$engine" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')"
image_base=$((16#$($objdump -p "$engine" | awk '$1 == "ImageBase" { print $2 }')))
while read -r entry; do
  name="${entry%@*}"
  if ! grep -qE "\] $name\$" <<<"$engine_exports"; then
    echo "FAILED: $engine_dll does not export $name" >&2
    status=1
    continue
  fi
  [ "$arch" = i686 ] || continue
  address="$(printf '0x%x' $((image_base + 16#$(llvm-readobj-14 --coff-exports "$engine" |
    awk -v name="$name" '$1 == "Name:" { current = $2 } $1 == "RVA:" && current == name { sub(/^0x/, "", $2); print $2 }'))))"
  first_return="$($objdump -d --start-address="$address" --stop-address="$(printf '0x%x' $((address + 0x400)))" "$engine" |
    grep -m1 -E '\sret' || true)"
  if [[ "$first_return" != *"ret "*"\$0x$(printf '%x' "${entry#*@}")"* ]]; then
    echo "FAILED: $name in $engine_dll does not return as __stdcall with ${entry#*@} bytes: $first_return" >&2
    status=1
  fi
done < <(sed -n '/^EXPORTS/,$p' "$root/src/platform/win32/ghostscript/${engine_dll%.dll}.def" | grep -v '^EXPORTS' | grep -v '^;')
[ "$status" -ne 0 ] || echo "$engine_dll exports the engine functions with the program's convention"
# It needs nothing beside it: every DLL it imports is the system's own.
foreign="$($objdump -p "$engine" | awk '/DLL Name:/ { print $3 }' |
  grep -viE '^(kernel32|user32|gdi32|advapi32|shell32|ole32|winspool\.drv|msvcrt)(\.dll)?$' || true)"
if [ -n "$foreign" ]; then
  echo "FAILED: $engine_dll needs DLLs that are not the system's: $foreign" >&2
  status=1
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

# The installer (amd64 only), and the whole product installed, printed to and uninstalled under
# Wine.
installer_counts="0 0"
installer_test() {
  installer_counts="0 1"
  "$root/scripts/build-windows-installer.sh" || return 1
  local installer installer_log="$build/test-results/installer-test.log" result=0
  installer="$(ls "$build"/Vellumor-*-x64-setup.exe)"
  "$root/tests/windows/installer-test.sh" "$build" "$installer" >"$installer_log" 2>&1 || result=1
  cat "$installer_log"
  installer_counts="$(sed -n 's/^Installer test under Wine: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$installer_log")"
  [ -n "$installer_counts" ] || installer_counts="0 1"
  return "$result"
}
if [ "$arch" = x86_64 ]; then
  stop_wine
  stage "installer" installer_test || status=1
fi

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
echo "Engine: $engine, $(stat -c %s "$engine") bytes"
printf 'Stage time: %s\n' "${stages[@]}"
exit "$status"
