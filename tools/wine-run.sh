#!/bin/bash
# Runs a Windows program under Wine and passes its exit code through.
#
#   tools/wine-run.sh PROGRAM.exe [ARGS...]
#
# Uses the caller's DISPLAY, or a private virtual display for this one run
# when there is none. The 32- or 64-bit Wine loader is chosen from the
# program's own PE header. The Wine prefix is created on first use.
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
exe=$1
shift
if [ ! -f "$exe" ]; then
  echo "wine-run: no such file: $exe" >&2
  exit 127
fi

. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# The PE machine field: offset of the "PE\0\0" signature at 0x3c, machine
# right after it.
pe_machine() {
  local at sig
  at=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$at" ] || return 1
  sig=$(od -An -tx1 -j"$at" -N6 "$1" 2>/dev/null | tr -d ' \n')
  case $sig in
    504500004c01) echo i386 ;;
    504500006486) echo amd64 ;;
    50450000*) echo "other (0x${sig:10:2}${sig:8:2})" ;;
    *) return 1 ;;
  esac
}

machine=$(pe_machine "$exe") || { echo "wine-run: not a Windows program: $exe" >&2; exit 126; }
case $machine in
  i386)
    if ! tavrel_can_run_32bit; then
      echo "wine-run: $exe is a 32-bit program, and this machine cannot run 32-bit code;" \
           "use the 64-bit build (build/win64)" >&2
      exit 126
    fi
    loader=/usr/lib/wine/wine ;;
  amd64)
    if [ "$WINEARCH" != win64 ]; then
      echo "wine-run: $exe is a 64-bit program, and the Wine prefix $WINEPREFIX is 32-bit" >&2
      exit 126
    fi
    loader=/usr/lib/wine/wine64 ;;
  *)
    echo "wine-run: $exe is for an unsupported machine: $machine" >&2
    exit 126 ;;
esac
export WINELOADER=$loader

if [ -z "${DISPLAY:-}" ]; then
  tavrel_start_xvfb || exit 1
  # Let this run's Wine processes end before their display goes away, so the
  # next run does not meet a server whose desktop has lost its display.
  tavrel_at_exit 'timeout 20 "$WINESERVER" -w 2>/dev/null'
fi

tavrel_make_prefix || exit 1

# The program writes into a file that is streamed to our output. Wine's
# helper processes (server, services, desktop) are started by the first
# program and inherit its output; a test runner waits until every holder of
# its pipe is gone, which would cost each test the helpers' shutdown and a
# cold start of the next one.
log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
tavrel_at_exit "rm -f '$log'"

# In the background so that a TERM from a test timeout still reaches the
# program (through the exit hook) instead of waiting for it to finish.
"$loader" "$exe" "$@" </dev/null >"$log" 2>&1 &
pid=$!
tavrel_at_exit "kill $pid 2>/dev/null"
tail -n +1 -s 0.1 -f --pid="$pid" "$log" &
relay=$!
wait "$pid"
rc=$?
wait "$relay"
exit "$rc"
