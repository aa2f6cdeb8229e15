#!/bin/sh
# The print queue "Vellumor": created, brought up to date or removed. Run as root. The one place
# that says how the queue is made; scripts/install-printer.sh, scripts/remove-printer.sh and the
# package's maintainer scripts (which install this file as lib/vellumor/printer-queue) all call it.
#
#   printer-queue create BACKEND PPD   create the queue, or bring an existing one up to date
#   printer-queue remove               remove the queue, cancelling its jobs
#
# BACKEND is the installed backend, asked for its device URI; PPD is the printer's description
# (vellumor.ppd). An existing queue (an earlier installation, the package upgraded) takes the
# current device, description and operation policy, since a queue made before them lets one user
# print into another's home; the administrator's other choices (its text, location, default
# options, error policy, whether it is enabled) stay as they are. Exit status: 0 done, 1 failed,
# 3 the scheduler is not running (nothing was changed). CUPS_SERVER selects the scheduler.
set -eu

queue=Vellumor
make_and_model="Vellumor PDF printer"

say() {
  echo "printer-queue: $*" >&2
}

scheduler_running() {
  LC_ALL=C lpstat -r 2> /dev/null | grep -q '^scheduler is running'
}

queue_exists() {
  lpstat -p "$queue" > /dev/null 2>&1
}

# The name under which the scheduler's driver list offers a description in one of the system's
# PPD folders; nothing for a description elsewhere.
model_name() {
  case $1 in
    /usr/share/ppd/*) echo "lsb/usr/${1#/usr/share/ppd/}" ;;
    /usr/local/share/ppd/*) echo "lsb/local/${1#/usr/local/share/ppd/}" ;;
    /opt/share/ppd/*) echo "lsb/opt/${1#/opt/share/ppd/}" ;;
  esac
}

# lpadmin with the given arguments; false, with what it said, when it fails.
run_lpadmin() {
  if ! output=$(lpadmin "$@" 2>&1); then
    case $output in
      *printer-op-policy*)
        say "the scheduler has no operation policy \"authenticated\" (CUPS's default cupsd.conf" \
          "defines it; add it, then run this again): $output" ;;
      *) say "lpadmin failed: $output" ;;
    esac
    return 1
  fi
  # lpadmin warns that printer drivers are deprecated; the warning is of no use here.
  printf '%s\n' "$output" | grep -v -e 'drivers are deprecated' -e '^$' >&2 || true
}

create() {
  backend=$1
  ppd=$2
  # The backend names its device URI (the printer's port) in its device line.
  uri=$("$backend" | awk 'NR == 1 { print $2 }')
  if [ -z "$uri" ]; then
    say "$backend printed no device line"
    return 1
  fi
  if [ ! -r "$ppd" ]; then
    say "no printer description at $ppd"
    return 1
  fi
  new=
  queue_exists || new=yes

  # The device and the operation policy first: jobs are accepted only from users the scheduler
  # has authenticated, as each job runs as its user. On a new queue, a failed conversion aborts
  # that job only and the printer stays ready for the next one.
  set -- -p "$queue" -v "$uri" -o printer-op-policy=authenticated
  if [ -n "$new" ]; then
    set -- "$@" -D "Vellumor (PDF files)" -o printer-error-policy=abort-job
  fi
  run_lpadmin "$@" || return 1

  # Then the description, alone: taken from the scheduler's driver list, it gets the system's
  # paper (A4 or Letter) as the default of a new queue, as CUPS decides it, and an existing queue
  # keeps its default options. (Given with other settings, lpadmin would send it as a file, which
  # the scheduler takes as it is.) A description the scheduler does not list, from a build not
  # installed, is sent as a file.
  model=$(model_name "$ppd")
  if [ -n "$model" ] && lpinfo --make-and-model "$make_and_model" -m 2> /dev/null | grep -qxF "$model $make_and_model"; then
    set -- -m "$model"
  else
    set -- -P "$ppd"
  fi
  # A new queue takes jobs once it is complete; one left half made would count as existing the
  # next time and never be enabled, so it goes again.
  if ! run_lpadmin -p "$queue" "$@" || { [ -n "$new" ] && ! run_lpadmin -p "$queue" -E; }; then
    [ -z "$new" ] || lpadmin -x "$queue" 2> /dev/null || true
    return 1
  fi
}

action=${1:-}
case "$action" in
  create)
    [ $# -eq 3 ] || { say "usage: printer-queue create BACKEND PPD"; exit 1; }
    scheduler_running || exit 3
    create "$2" "$3"
    ;;
  remove)
    scheduler_running || exit 3
    if queue_exists; then
      lpadmin -x "$queue"
    fi
    ;;
  *)
    say "usage: printer-queue create BACKEND PPD | remove"
    exit 1
    ;;
esac
