#!/usr/bin/env bash
# The Debian package on the whole system, as root: builds it, checks it with lintian and the
# desktop, AppStream, printer description and manual page validators, installs it with apt-get on
# this machine's CUPS scheduler, checks its files and the queue, opens the settings editor from its
# menu entry on a display of its own, prints a text file with `lp` as an ordinary user and finds
# the PDF where that user's settings say, then purges the package and checks that nothing of it is
# left. Last, it installs the package over a printer made by an earlier scripts/install-printer.sh
# and checks that the queue was brought up to date: nobody prints in another user's name.
#
# The machine is left as it was found, also when a step fails: the package, the queue, the
# throwaway user and every file made are removed again, and a scheduler the test started is
# stopped and its state folders put back. Packages installed as build or test dependencies stay.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$SECONDS
queue=Vellumor
work=
user=
victim=
old_backend=
cupsd_pid=
xvfb_pid=
editor_pid=
state_saved=

say() { echo "test-package: $*"; }
fail() {
  echo "test-package: FAILED: $*" >&2
  exit 1
}
scheduler_running() { LC_ALL=C lpstat -r 2> /dev/null | grep -q '^scheduler is running'; }
package_state() { dpkg-query -W -f='${db:Status-Status}' vellumor 2> /dev/null || true; }

# Waits, a bounded number of times, until the command succeeds.
wait_for() {
  local what=$1 tries=$2
  shift 2
  for ((i = 0; i < tries; i++)); do
    if "$@"; then
      return 0
    fi
    sleep 0.2
  done
  fail "$what"
}

cleanup() {
  local status=$?
  set +e
  for pid in $editor_pid $xvfb_pid; do
    kill "$pid" 2> /dev/null && wait "$pid" 2> /dev/null
  done
  if [ -n "$(package_state)" ] && [ "$(package_state)" != not-installed ]; then
    DEBIAN_FRONTEND=noninteractive dpkg --purge vellumor > /dev/null
  fi
  if scheduler_running && lpstat -p "$queue" > /dev/null 2>&1; then
    lpadmin -x "$queue"
  fi
  if [ -n "$old_backend" ]; then
    # The earlier printer's files, which the package would have replaced.
    rm -f /usr/lib/cups/backend/vellumor /usr/lib/cups/backend/vellumor.conf
  fi
  for name in $user $victim; do
    if id "$name" > /dev/null 2>&1; then
      local uid
      uid=$(id -u "$name")
      userdel --force "$name"
      rm -rf "/tmp/vellumor-$uid"
    fi
  done
  if [ -n "$cupsd_pid" ]; then
    kill "$cupsd_pid" 2> /dev/null
    wait "$cupsd_pid" 2> /dev/null
  fi
  if [ -n "$state_saved" ]; then
    # The scheduler this test started wrote its state: put the folders back as they were.
    for folder in etc/cups var/spool/cups var/cache/cups var/log/cups; do
      [ -d "/$folder" ] && find "/$folder" -mindepth 1 -delete
    done
    tar -C / -xpf "$work/cups-state.tar"
    [ "$state_saved" = without-run ] && rm -rf /run/cups
  fi
  [ -n "$work" ] && rm -rf "$work"
  say "took $((SECONDS - started)) s"
  if [ "$status" -eq 0 ]; then
    say "passed"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

[ "$(id -u)" -eq 0 ] || fail "run as root"
case "$(package_state)" in
  "" | not-installed) ;;
  *) fail "the package vellumor is on this machine already; this test installs and purges it" ;;
esac

say "building the package"
scripts/build-package.sh
deb=$(ls build-package/vellumor_*.deb)
[ "$(echo "$deb" | wc -l)" -eq 1 ] || fail "more than one package in build-package"
[[ $deb =~ ^build-package/vellumor_1\.06-1_[a-z0-9]+\.deb$ ]] || fail "unexpected file name $deb"
# The corresponding source offered with the package: the source tree, no build or git folders.
source_archive=build-package/vellumor-1.06-source.tar.xz
tar -tJf "$source_archive" > build-package/source-contents || fail "no source archive $source_archive"
for file in LICENSE CMakeLists.txt packaging/copyright.in src/app/main.cpp; do
  grep -qx "vellumor-1.06-source/$file" build-package/source-contents || fail "the source archive lacks $file"
done
! grep -E '^vellumor-1\.06-source/(build[^/]*|\.git)(/|$)' build-package/source-contents ||
  fail "the source archive holds build or version control folders"

say "lintian"
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libgs10 libqt6widgets6 libcurl4 libcups2 cups; do
  [[ $depends =~ (^|, )$library( |,|$) ]] || fail "Depends lacks $library: $depends"
done

work=$(mktemp -d /tmp/vellumor-package-test.XXXXXX)
chmod 0755 "$work"
# What the package holds, and which of its folders exist without it.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/$' > "$work/contents"
while read -r path; do
  [ -e "$path" ] || [ -L "$path" ] || echo "$path"
done < "$work/contents" > "$work/new-paths"

# With no scheduler running, the installation says how the queue comes about later; the test
# then starts the system's scheduler and lets dpkg-reconfigure create it.
scheduler_was_running=yes
scheduler_running || scheduler_was_running=
if [ -z "$scheduler_was_running" ]; then
  run_folder=with-run
  [ -d /run/cups ] || run_folder=without-run
  tar -C / -cpf "$work/cups-state.tar" $(cd / && ls -d etc/cups var/spool/cups var/cache/cups var/log/cups 2> /dev/null)
  state_saved=$run_folder
  say "installing while the scheduler is not running"
  DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb" > "$work/install.log" 2>&1 ||
    fail "apt-get install failed: $(cat "$work/install.log")"
  grep -q 'scheduler is not running, so the printer "Vellumor" was not created' "$work/install.log" ||
    fail "the installation did not say the queue is missing: $(cat "$work/install.log")"
  /usr/sbin/cupsd -f > "$work/cupsd.log" 2>&1 &
  cupsd_pid=$!
  wait_for "the scheduler did not start" 150 scheduler_running
  lpstat -p "$queue" > /dev/null 2>&1 && fail "a queue exists before dpkg-reconfigure"
  DEBIAN_FRONTEND=noninteractive dpkg-reconfigure vellumor
else
  say "installing on the running scheduler"
  DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb" > "$work/install.log" 2>&1 ||
    fail "apt-get install failed: $(cat "$work/install.log")"
fi

say "checking the installed files and the queue"
[ "$(stat -c '%U:%G %a' /usr/lib/cups/backend/vellumor)" = "root:root 700" ] || fail "backend owner or mode"
[ "$(readlink /usr/bin/vellumor)" = ../lib/vellumor/vellumor ] || fail "/usr/bin/vellumor is no link to the program"
for file in vellumor libvellumor-core.so libvellumor-ui.so libvellumor-updater.so printer-queue; do
  [ -f "/usr/lib/vellumor/$file" ] || fail "/usr/lib/vellumor/$file is missing"
done
dpkg-query -W -f='${Conffiles}' vellumor | grep -q '^ /etc/vellumor/backend.conf ' ||
  fail "/etc/vellumor/backend.conf is no conffile"
[ "$(vellumor --version | head -1)" = "vellumor 1.06" ] || fail "vellumor --version: $(vellumor --version)"
vellumor --version | grep -q 'License AGPL-3.0-or-later' || fail "vellumor --version names no licence"
copyright=/usr/share/doc/vellumor/copyright
grep -qx 'License: AGPL-3.0-or-later' "$copyright" || fail "the copyright file names no AGPL-3.0-or-later"
! grep -q '^License: other' "$copyright" || fail "the copyright file still says License: other"
grep -q '^ *GNU AFFERO GENERAL PUBLIC LICENSE$' "$copyright" || fail "the copyright file does not quote the AGPL"
ppd=/usr/share/ppd/vellumor/vellumor.ppd
cupstestppd "$ppd" || fail "cupstestppd rejects $ppd"
desktop-file-validate /usr/share/applications/vellumor.desktop || fail "desktop entry"
desktop-file-validate /etc/xdg/autostart/vellumor-agent.desktop || fail "autostart entry of the session agent"
appstreamcli validate --no-net /usr/share/metainfo/example.vellumor.vellumor.metainfo.xml || fail "AppStream"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l /usr/share/man/man1/vellumor.1.gz > /dev/null 2> "$work/man.err"
[ ! -s "$work/man.err" ] || fail "the manual page renders with warnings: $(cat "$work/man.err")"
[ "$(lpstat -v "$queue")" = "device for $queue: vellumor:/" ] || fail "queue device: $(lpstat -v "$queue")"
grep -qx '\*NickName: "Vellumor PDF printer"' "/etc/cups/ppd/$queue.ppd" || fail "the queue is not made from $ppd"
sizes=$(lpoptions -p "$queue" -l | grep '^PageSize')
say "the queue's $sizes"
grep -qw ARCHD <<< "$sizes" || fail "the queue offers no ARCH D"
cat > "$work/policies.test" << 'EOF'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword requested-attributes printer-op-policy,printer-error-policy
  DISPLAY printer-op-policy
  DISPLAY printer-error-policy
}
EOF
policies=$(ipptool -c "ipp://localhost/printers/$queue" "$work/policies.test" | tail -1)
[ "$policies" = authenticated,abort-job ] || fail "queue policies: $policies"
lpstat -p "$queue" | grep -q enabled || fail "the queue is not enabled"
# Reconfiguring or reinstalling keeps the queue.
DEBIAN_FRONTEND=noninteractive dpkg-reconfigure vellumor
DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall "./$deb" > "$work/reinstall.log" 2>&1 ||
  fail "reinstalling failed: $(cat "$work/reinstall.log")"
lpstat -p "$queue" > /dev/null || fail "the queue is gone after reinstalling"
# The install script of the source tree only makes the queue again, leaving the package's files.
lpadmin -x "$queue"
scripts/install-printer.sh
lpstat -p "$queue" > /dev/null || fail "install-printer.sh made no queue"
[ ! -e /usr/lib/cups/backend/vellumor.conf ] || fail "install-printer.sh wrote beside the package's backend"
dpkg --verify vellumor || fail "the package's files were changed"

say "printing as an ordinary user"
user=vlmpkg$$
home=$work/home
useradd -M -d "$home" -s /bin/sh "$user"
uid=$(id -u "$user")
mkdir -p "$home/PDF" "$home/.config/vellumor/registry"
# Every job is saved straight into ~/PDF; no update check reaches for the network.
cat > "$home/.config/vellumor/registry/system.reg" << EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane Software\\Vellumor]
"SaveAs"="Use source filename, save to a specific folder (automatic)"
"SaveToPath"="$home/PDF"
"AdvCheckUpdate"="Never"

EOF
printf 'Page 1 of the letter\n\fPage 2 of the letter\n' > "$home/letter.txt"
chown -R "$user:" "$home"
as_user() { setpriv --reuid="$uid" --regid="$(id -g "$user")" --init-groups -- env -i HOME="$home" USER="$user" \
  LOGNAME="$user" PATH=/usr/bin:/bin "$@"; }
(cd "$home" && as_user lp -d "$queue" letter.txt) || fail "lp as $user"
jobs_done() { [ -z "$(lpstat -W not-completed -o "$queue")" ]; }
wait_for "the job did not finish" 600 jobs_done
pdf=$home/PDF/letter.pdf
[ -f "$pdf" ] || fail "no PDF at $pdf; $(ls -la "$home/PDF"); $(tail -20 /var/log/cups/error_log 2> /dev/null)"
[ "$(qpdf --show-npages "$pdf")" = 2 ] || fail "the PDF has not 2 pages"
[ "$(stat -c %U "$pdf")" = "$user" ] || fail "the PDF does not belong to $user"

say "opening the settings editor from its menu entry"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/vellumor.desktop)
Xvfb -displayfd 3 -nolisten tcp 3> "$work/display" > /dev/null 2>&1 &
xvfb_pid=$!
wait_for "Xvfb reported no display" 150 grep -q . "$work/display"
display=:$(head -1 "$work/display")
as_user DISPLAY="$display" $exec_line > "$work/editor.log" 2>&1 &
editor_pid=$!
DISPLAY=$display timeout 120 xdotool search --sync --onlyvisible --name '^Vellumor v' > /dev/null ||
  fail "no settings window: $(cat "$work/editor.log")"
kill "$editor_pid"
wait "$editor_pid" || true
editor_pid=

say "purging"
DEBIAN_FRONTEND=noninteractive apt-get purge -y vellumor > "$work/purge.log" 2>&1 ||
  fail "apt-get purge failed: $(cat "$work/purge.log")"
lpstat -p "$queue" > /dev/null 2>&1 && fail "the queue is still there"
for file in "/etc/cups/ppd/$queue.ppd" "/var/cache/cups/$queue.strings"; do
  [ ! -e "$file" ] || fail "$file, made for the queue, is still there"
done
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then
    fail "$path is still there"
  fi
done < "$work/new-paths"
[ -z "$(package_state)" ] || [ "$(package_state)" = not-installed ] || fail "dpkg still knows vellumor"

say "installing over a printer made by an earlier scripts/install-printer.sh"
# That script put the built backend with a configuration beside it, naming its program (here one
# that would write nothing), and made the queue with CUPS's generic PostScript description and no
# operation policy; the administrator chose Letter as its default paper.
old_backend=yes
install -o root -g root -m 0700 build-package/bin/vellumor-backend /usr/lib/cups/backend/vellumor
printf 'program=/bin/true\n' > /usr/lib/cups/backend/vellumor.conf
lpadmin -p "$queue" -E -v vellumor:/ -m drv:///sample.drv/generic.ppd -o printer-error-policy=abort-job \
  -o PageSize=Letter 2> /dev/null
DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb" > "$work/upgrade.log" 2>&1 ||
  fail "apt-get install over the earlier printer failed: $(cat "$work/upgrade.log")"
grep -q 'removed /usr/lib/cups/backend/vellumor.conf of an earlier installation (it named the program "/bin/true")' \
  "$work/upgrade.log" || fail "the installation did not say it removed the earlier configuration: $(cat "$work/upgrade.log")"
[ ! -e /usr/lib/cups/backend/vellumor.conf ] || fail "the earlier configuration beside the backend is still there"
policies=$(ipptool -c "ipp://localhost/printers/$queue" "$work/policies.test" | tail -1)
[ "$policies" = authenticated,abort-job ] || fail "queue policies after installing over it: $policies"
grep -qx '\*NickName: "Vellumor PDF printer"' "/etc/cups/ppd/$queue.ppd" || fail "the queue kept its earlier description"
grep -qx '\*DefaultPageSize: Letter' "/etc/cups/ppd/$queue.ppd" || fail "the administrator's default paper is lost"
victim=vlmvic$$
useradd -M -d "$work/victim" -s /bin/sh "$victim"
mkdir -p "$work/victim/PDF" "$work/victim/.config/vellumor/registry"
sed "s|$home/PDF|$work/victim/PDF|" "$home/.config/vellumor/registry/system.reg" \
  > "$work/victim/.config/vellumor/registry/system.reg"
chown -R "$victim:" "$work/victim"
rm -f "$home/PDF/"*.pdf
(cd "$home" && as_user lp -U "$victim" -d "$queue" letter.txt > /dev/null 2>&1) || true
(cd "$home" && as_user lp -d "$queue" letter.txt) || fail "lp as $user after installing over the earlier printer"
wait_for "the jobs did not finish" 600 jobs_done
[ -z "$(ls -A "$work/victim/PDF")" ] || fail "a job sent in $victim's name was converted into $victim's home"
[ -f "$pdf" ] || fail "no PDF after installing over the earlier printer: $(tail -20 /var/log/cups/error_log 2> /dev/null)"
DEBIAN_FRONTEND=noninteractive apt-get purge -y vellumor > "$work/purge.log" 2>&1 ||
  fail "apt-get purge failed: $(cat "$work/purge.log")"
old_backend=
[ ! -e /usr/lib/cups/backend/vellumor ] || fail "the backend outlived the purge"
