#!/usr/bin/env bash
# Installs the Vellumor printer: its CUPS backend (the port that starts one vellumor process per
# job, as the user who printed it) and the print queue "Vellumor". Run as root.
#
#   scripts/install-printer.sh [--backend FILE] [--program FILE] [--ppd FILE]
#
#   --backend FILE   the built backend (default: build/bin/vellumor-backend)
#   --program FILE   the vellumor program the backend starts; every user who prints must be able
#                    to run it (default: vellumor on PATH, else build/bin/vellumor)
#   --ppd FILE       the printer's description (default: the installed one,
#                    /usr/share/ppd/vellumor/vellumor.ppd or /usr/local/share/ppd/vellumor/vellumor.ppd,
#                    else the built one, build/packaging/ppd/vellumor.ppd)
#
# When the backend was installed by the package or by `cmake --install` (no vellumor.conf beside
# it) and no --backend is given, the installed files are left as they are and only the queue is
# created: that is how the queue comes about when the scheduler was not running at installation.
# A queue that exists already is brought up to date (device, description, operation policy).
#
# Environment: CUPS_SERVER selects the scheduler (as for lpadmin); CUPS_BACKEND_DIR is where the
# scheduler looks for backends (default /usr/lib/cups/backend).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
backend="$repo/build/bin/vellumor-backend"
backend_given=
program=$(command -v vellumor || echo "$repo/build/bin/vellumor")
backend_dir=${CUPS_BACKEND_DIR:-/usr/lib/cups/backend}
installed="$backend_dir/vellumor"
ppd=
for candidate in /usr/share/ppd/vellumor/vellumor.ppd /usr/local/share/ppd/vellumor/vellumor.ppd \
  "$repo/build/packaging/ppd/vellumor.ppd"; do
  if [ -z "$ppd" ] && [ -f "$candidate" ]; then
    ppd=$candidate
  fi
done

die() {
  echo "install-printer: $*" >&2
  exit 1
}

while (($#)); do
  case "$1" in
    --backend) backend=${2:?--backend needs a file}; backend_given=1; shift 2 ;;
    --program) program=${2:?--program needs a file}; shift 2 ;;
    --ppd) ppd=${2:?--ppd needs a file}; shift 2 ;;
    *) die "unknown argument $1 (see the head of this script)" ;;
  esac
done

[ "$(id -u)" -eq 0 ] || die "run as root: the backend must be installed owned by root"
[ -n "$ppd" ] || die "no printer description (vellumor.ppd): build it first (cmake --build build) or give --ppd"

if [ -z "$backend_given" ] && [ -e "$installed" ] && [ ! -e "$installed.conf" ]; then
  echo "install-printer: $installed is installed by the package or cmake --install;" \
    "creating the queue only (give --backend to install a built backend instead)" >&2
else
  [ -x "$backend" ] || die "no backend at $backend (build it first: cmake --build build)"
  [ -x "$program" ] || die "no program at $program"
  program=$(realpath "$program")
  [ -d "$backend_dir" ] || die "no backend folder $backend_dir"
  if command -v runuser > /dev/null && ! runuser -u nobody -- test -x "$program" 2> /dev/null; then
    echo "install-printer: warning: other users cannot run $program; put it where they can" \
      "(for example /usr/local/bin) and install again with --program" >&2
  fi
  # Mode 0700 and owner root make the scheduler run the backend as root, which it needs to start
  # the program as the printing user. The configuration beside it names that program.
  install -o root -g root -m 0700 "$backend" "$installed"
  config=$(mktemp)
  printf '# The program the vellumor backend starts for each job.\nprogram=%s\n' "$program" > "$config"
  install -o root -g root -m 0644 "$config" "$installed.conf"
  rm -f "$config"
fi

status=0
"$repo/scripts/printer-queue.sh" create "$installed" "$ppd" || status=$?
case $status in
  0) ;;
  3) die "the CUPS scheduler is not running; start it and run this script again" ;;
  *) die "the queue could not be set up" ;;
esac
uri=$("$installed" | awk 'NR == 1 { print $2 }')
echo "The printer \"Vellumor\" is installed ($uri, backend $installed)."
