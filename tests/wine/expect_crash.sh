#!/bin/bash
# Runs a Windows program that crashes on purpose the way every Wine test runs
# (tools/wine-run.sh), and passes when the crash ended it within seconds, as a
# failure, with no debugger started, and its output matched every pattern.
#
#   expect_crash.sh PROGRAM.exe ARGUMENT PATTERN...
#
# A debugger or a dialog waiting for someone would hold it until the limit.
set -uo pipefail

if [ $# -lt 3 ]; then
  echo "usage: $0 PROGRAM.exe ARGUMENT PATTERN..." >&2
  exit 2
fi
exe=$1
argument=$2
shift 2
limit=${TAVREL_CRASH_LIMIT:-60}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

started=$(date +%s%N)
output=$(timeout -k 5 "$limit" "$root/tools/wine-run.sh" "$exe" "$argument" 2>&1)
rc=$?
elapsed=$((($(date +%s%N) - started) / 1000000))
printf '%s\n' "$output"
echo "expect_crash: exit code $rc after $elapsed ms"

failures=0
fail() {
  echo "expect_crash: FAIL: $*"
  failures=$((failures + 1))
}

if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
  fail "still running after $limit s"
elif [ "$rc" -eq 0 ]; then
  fail "the program reported success"
fi
for pattern in "$@"; do
  grep -qE -- "$pattern" <<<"$output" || fail "no line matches: $pattern"
done
# What winedbg prints once it has started.
grep -qE 'Register dump:|Backtrace:' <<<"$output" && fail "a debugger was started"
[ "$failures" -eq 0 ]
