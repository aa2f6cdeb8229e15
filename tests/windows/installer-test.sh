#!/usr/bin/env bash
# The whole product on Wine, as a user gets it: the installer runs silently in a fresh Wine prefix,
# a program prints a page through GDI to the printer "Vellumor", the port starts vellumor.exe for
# the job and the PDF lands where the user's settings say; then the uninstaller takes printer,
# port, monitor and program away and leaves the user's settings and PDF. Ghostscript's DLL is the
# stand-in of tests/windows/standin, put beside the program as a user puts Ghostscript's there.
#
# usage: installer-test.sh <build folder> <installer>
set -uo pipefail

build="$(cd "$1" && pwd)"
installer="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

export WINEPREFIX="$build/wine-installer-prefix"
export HOME="$build/wine-installer-home"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY VELLUMOR_REGISTRY
drive="$WINEPREFIX/drive_c"
program_dir="$drive/Program Files/Vellumor"

passed=0
failed=0
check() {  # check <what> <command...>: one line per check
  local what="$1"
  shift
  if "$@" >/dev/null 2>&1; then
    passed=$((passed + 1))
    echo "ok: $what"
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
absent() { ! "$@"; }
reg_key() { "$wine" reg query "$1"; }
# Waits until every program of the prefix ended: the installer's, the printing program's and the
# vellumor.exe the port started for the job.
settle() { "$wineserver" -w; }

"$wineserver" -k 2>/dev/null
rm -rf "$WINEPREFIX" "$HOME"
mkdir -p "$HOME"
trap '"$wineserver" -k 2>/dev/null' EXIT
"$wine" wineboot --init >/dev/null 2>&1
settle

"$wine" "$installer" /S
status=$?
settle
check "the silent installation ends with exit code 0" test "$status" -eq 0
for file in vellumor.exe Updater.dll vellumor-printer-setup.exe LICENSE.txt uninstall.exe; do
  check "the installation holds $file" test -f "$program_dir/$file"
done
check "the monitor is in the system folder" test -f "$drive/windows/system32/vellumor-monitor.dll"
check "the Start menu holds the settings editor" \
  test -f "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Vellumor/Vellumor settings.lnk"
monitors='HKLM\System\CurrentControlSet\Control\Print\Monitors\Vellumor'
check "the monitor is registered" reg_key "$monitors"
check "the port is kept under the monitor's key" reg_key "$monitors\\Ports\\VellumorPort:"
check "the printer Vellumor exists" reg_key 'HKLM\System\CurrentControlSet\Control\Print\Printers\Vellumor'
check "Programs and Features lists Vellumor" \
  reg_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellumor'
check "the machine's default settings are written" \
  "$wine" reg query 'HKLM\Software\Corvane Software\Vellumor' /v Quality

# The user's own settings: save every job at once into a folder of the user's.
cp "$build/bin/gsdll64.dll" "$program_dir/"
mkdir -p "$drive/users/Public/PDFs"
user_key='HKCU\Software\Corvane Software\Vellumor'
"$wine" reg add "$user_key" /v SaveAs /d "Use source filename, save to a specific folder (automatic)" /f >/dev/null
"$wine" reg add "$user_key" /v SaveToPath /d 'C:\users\Public\PDFs' /f >/dev/null
settle

cp "$build/bin/print-through-gdi.exe" "$drive/"
"$wine" 'C:\print-through-gdi.exe' "Monitor test page" "Printed through Vellumor"
status=$?
settle
check "a page prints through GDI to the printer Vellumor" test "$status" -eq 0
pdf="$(find "$drive/users/Public/PDFs" -name '*.pdf' | head -n 1)"
check "the job became a PDF in the user's folder" test -n "$pdf"
if [ -n "$pdf" ]; then
  echo "PDF: $pdf"
  check "qpdf accepts the PDF" qpdf --check "$pdf"
  check "the PDF holds the one page printed" test "$(qpdf --show-npages "$pdf" 2>/dev/null)" = 1
fi

rm -f "$program_dir/gsdll64.dll"
"$wine" 'C:\Program Files\Vellumor\uninstall.exe' /S
settle
check "uninstalling removes the program's folder" absent test -e "$program_dir"
check "uninstalling removes the monitor's file" absent test -e "$drive/windows/system32/vellumor-monitor.dll"
check "uninstalling removes the Start-menu entry" \
  absent test -e "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Vellumor"
check "uninstalling removes the printer" \
  absent reg_key 'HKLM\System\CurrentControlSet\Control\Print\Printers\Vellumor'
check "uninstalling removes the monitor and its port" absent reg_key "$monitors"
check "uninstalling removes the entry of Programs and Features" \
  absent reg_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellumor'
check "the user's settings stay" "$wine" reg query "$user_key" /v SaveAs
check "the user's PDF stays" test -n "$pdf" -a -f "$pdf"

echo "Installer test under Wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
