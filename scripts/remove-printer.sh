#!/usr/bin/env bash
# Removes the Vellumor printer that scripts/install-printer.sh installed: the print queue
# "Vellumor" and its CUPS backend. Run as root. A backend installed by the package is left to the
# package (remove the package instead). Environment: CUPS_SERVER and CUPS_BACKEND_DIR as for
# install-printer.sh.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
backend_dir=${CUPS_BACKEND_DIR:-/usr/lib/cups/backend}

[ "$(id -u)" -eq 0 ] || { echo "remove-printer: run as root" >&2; exit 1; }
status=0
"$repo/scripts/printer-queue.sh" remove || status=$?
if [ "$status" -eq 3 ]; then
  echo "remove-printer: the CUPS scheduler is not running; start it and run this script again" >&2
  exit 1
elif [ "$status" -ne 0 ]; then
  exit "$status"
fi
# Only a backend this script's sibling installed has the configuration beside it.
if [ -e "$backend_dir/vellumor.conf" ]; then
  rm -f "$backend_dir/vellumor" "$backend_dir/vellumor.conf"
fi
echo "The printer \"Vellumor\" is removed."
