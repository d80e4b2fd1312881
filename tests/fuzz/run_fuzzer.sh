#!/bin/bash
# Runs one fuzzer for a bounded time over a fresh copy of its seeds.
#   run_fuzzer.sh FUZZER SEED_DIR WORK_DIR SECONDS
# Fails when the fuzzer finds a crash, a sanitizer report or a broken
# property; the input that did it is left in WORK_DIR.
set -uo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
if [ ! -x "$fuzzer" ]; then
  echo "run_fuzzer: $fuzzer was not built (clang with libFuzzer is installed by tools/setup.sh)" >&2
  exit 1
fi
rm -rf "$work"
mkdir -p "$work/corpus"
cp "$seeds"/* "$work/corpus/"
# One process, so that the time bound holds on a busy two-core machine.
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/corpus" 2>&1 | grep -v -e '^#[0-9]' -e '# Uses: '
status=${PIPESTATUS[0]}
echo "run_fuzzer: $(basename "$fuzzer") ended with status $status"
exit "$status"
