#!/bin/sh
# Given to the MinGW-w64 compiler driver as its -wrapper when it links: runs LLD where the driver
# would run GNU ld. The driver is built to use GNU ld whatever -fuse-ld says, and GNU ld leaves
# the delay-load import directory of a program empty, so that neither the system's tools nor
# objdump see which DLLs the program imports late (Ghostscript's). The driver still composes
# the command line (start-up objects, runtime libraries); only its linker-plugin options, which
# LLD does not take, are left out. Every other program the driver runs is run as it is.
case "$1" in
  */collect2 | collect2)
    shift
    count=$#
    skip_next=0
    while [ "$count" -gt 0 ]; do
      argument="$1"
      shift
      count=$((count - 1))
      if [ "$skip_next" = 1 ]; then
        skip_next=0
        continue
      fi
      case "$argument" in
        -plugin) skip_next=1 ;;
        -plugin-opt=*) ;;
        *) set -- "$@" "$argument" ;;
      esac
    done
    exec ld.lld "$@"
    ;;
  *) exec "$@" ;;
esac
