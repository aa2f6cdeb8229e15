#!/bin/sh
# The print queue "Vellumor": created, kept or removed. Run as root. The one place that says how
# the queue is made; scripts/install-printer.sh, scripts/remove-printer.sh and the package's
# maintainer scripts (which install this file as lib/vellumor/printer-queue) all call it.
#
#   printer-queue create BACKEND   create the queue, or set its driver and options again
#   printer-queue ensure BACKEND   create the queue unless it exists (an existing one is kept as
#                                  the administrator has set it)
#   printer-queue remove           remove the queue, cancelling its jobs
#
# BACKEND is the installed backend, asked for its device URI. Exit status: 0 done, 1 failed,
# 3 the scheduler is not running (nothing was changed). CUPS_SERVER selects the scheduler.
set -eu

queue=Vellumor
# A plain PostScript printer: whatever is printed reaches the backend as PostScript.
model=drv:///sample.drv/generic.ppd

say() {
  echo "printer-queue: $*" >&2
}

scheduler_running() {
  LC_ALL=C lpstat -r 2> /dev/null | grep -q '^scheduler is running'
}

queue_exists() {
  lpstat -p "$queue" > /dev/null 2>&1
}

create() {
  backend=$1
  # The backend names its device URI (the printer's port) in its device line.
  uri=$("$backend" | awk 'NR == 1 { print $2 }')
  if [ -z "$uri" ]; then
    say "$backend printed no device line"
    return 1
  fi
  # A failed conversion aborts that job only; the printer stays ready for the next one. Jobs are
  # accepted only from users the scheduler has authenticated, as each job runs as its user.
  if ! output=$(lpadmin -p "$queue" -E -v "$uri" -m "$model" -D "Vellumor (PDF files)" \
    -o printer-error-policy=abort-job -o printer-op-policy=authenticated 2>&1); then
    case $output in
      *printer-op-policy*)
        say "the scheduler has no operation policy \"authenticated\" (CUPS's default cupsd.conf" \
          "defines it; add it, then run this again): $output" ;;
      *) say "lpadmin failed (the driver $model comes with the package cups): $output" ;;
    esac
    return 1
  fi
  # lpadmin warns that printer drivers are deprecated; the warning is of no use here.
  printf '%s\n' "$output" | grep -v -e 'drivers are deprecated' -e '^$' >&2 || true
}

action=${1:-}
case "$action" in
  create | ensure)
    [ $# -eq 2 ] || { say "usage: printer-queue $action BACKEND"; exit 1; }
    scheduler_running || exit 3
    if [ "$action" = ensure ] && queue_exists; then
      exit 0
    fi
    create "$2"
    ;;
  remove)
    scheduler_running || exit 3
    if queue_exists; then
      lpadmin -x "$queue"
    fi
    ;;
  *)
    say "usage: printer-queue create BACKEND | ensure BACKEND | remove"
    exit 1
    ;;
esac
