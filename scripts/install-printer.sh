#!/usr/bin/env bash
# Installs the Vellumor printer: its CUPS backend (the port that starts one vellumor process per
# job, as the user who printed it) and the print queue "Vellumor". Run as root.
#
#   scripts/install-printer.sh [--backend FILE] [--program FILE]
#
#   --backend FILE   the built backend (default: build/bin/vellumor-backend)
#   --program FILE   the vellumor program the backend starts; every user who prints must be able
#                    to run it (default: vellumor on PATH, else build/bin/vellumor)
#
# Environment: CUPS_SERVER selects the scheduler (as for lpadmin); CUPS_BACKEND_DIR is where the
# scheduler looks for backends (default /usr/lib/cups/backend).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
backend="$repo/build/bin/vellumor-backend"
program=$(command -v vellumor || echo "$repo/build/bin/vellumor")
backend_dir=${CUPS_BACKEND_DIR:-/usr/lib/cups/backend}
queue=Vellumor
# A plain PostScript printer: whatever is printed reaches the backend as PostScript.
model=drv:///sample.drv/generic.ppd

die() {
  echo "install-printer: $*" >&2
  exit 1
}

while (($#)); do
  case "$1" in
    --backend) backend=${2:?--backend needs a file}; shift 2 ;;
    --program) program=${2:?--program needs a file}; shift 2 ;;
    *) die "unknown argument $1 (see the head of this script)" ;;
  esac
done

[ "$(id -u)" -eq 0 ] || die "run as root: the backend must be installed owned by root"
[ -x "$backend" ] || die "no backend at $backend (build it first: cmake --build build)"
[ -x "$program" ] || die "no program at $program"
program=$(realpath "$program")
[ -d "$backend_dir" ] || die "no backend folder $backend_dir"

# The backend names its device URI (the printer's port) in its device line.
uri=$("$backend" | awk 'NR == 1 { print $2 }')
[ -n "$uri" ] || die "$backend printed no device line"

if command -v runuser > /dev/null && ! runuser -u nobody -- test -x "$program" 2> /dev/null; then
  echo "install-printer: warning: other users cannot run $program; put it where they can" \
    "(for example /usr/local/bin) and install again with --program" >&2
fi

# Mode 0700 and owner root make the scheduler run the backend as root, which it needs to start
# the program as the printing user. The configuration beside it names that program.
install -o root -g root -m 0700 "$backend" "$backend_dir/vellumor"
config=$(mktemp)
printf '# The program the vellumor backend starts for each job.\nprogram=%s\n' "$program" > "$config"
install -o root -g root -m 0644 "$config" "$backend_dir/vellumor.conf"
rm -f "$config"

# A failed conversion aborts that job only; the printer stays ready for the next one. The backend
# converts each job as the user the job names and saves the PDF in that user's home, so that name
# must be proven: the operation policy "authenticated" makes the scheduler check it (a local user
# is recognised by the credentials of the connection) and refuses a job sent in another's name.
if ! output=$(lpadmin -p "$queue" -E -v "$uri" -m "$model" -D "Vellumor (PDF files)" \
  -o printer-error-policy=abort-job -o printer-op-policy=authenticated 2>&1); then
  case $output in
    *printer-op-policy*)
      die "the scheduler has no operation policy \"authenticated\" (CUPS's default cupsd.conf defines it;" \
        "add it, then install again): $output" ;;
  esac
  die "lpadmin failed (the driver $model comes with the package cups): $output"
fi
# lpadmin warns that printer drivers are deprecated; the warning is of no use here.
grep -v 'drivers are deprecated' <<< "$output" >&2 || true
echo "The printer \"$queue\" is installed ($uri, program $program)."
