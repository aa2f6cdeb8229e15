#!/usr/bin/env bash
# Removes the Vellumor printer: the print queue "Vellumor" and its CUPS backend. Run as root.
# Environment: CUPS_SERVER and CUPS_BACKEND_DIR as for install-printer.sh.
set -euo pipefail

backend_dir=${CUPS_BACKEND_DIR:-/usr/lib/cups/backend}
queue=Vellumor

[ "$(id -u)" -eq 0 ] || { echo "remove-printer: run as root" >&2; exit 1; }
if lpstat -p "$queue" > /dev/null 2>&1; then
  lpadmin -x "$queue"
fi
rm -f "$backend_dir/vellumor" "$backend_dir/vellumor.conf"
echo "The printer \"$queue\" is removed."
