#!/bin/sh
# Runs the 32-bit trampoline check: directly where the kernel runs 32-bit code,
# else under qemu-i386-static. Exit 77 (skipped) when neither is possible or the
# program could not be built here.
program=$1
if [ ! -x "$program" ]; then
  echo "skipped: no 32-bit toolchain here (g++-multilib), so the check was not built"
  exit 77
fi
"$program" 2>/dev/null
rc=$?
# 126: the kernel refused to run 32-bit code at all.
[ "$rc" -ne 126 ] && exit "$rc"
if command -v qemu-i386-static >/dev/null 2>&1; then
  echo "this kernel runs no 32-bit code: running under qemu-i386-static"
  exec qemu-i386-static "$program"
fi
echo "skipped: this machine runs no 32-bit code and has no qemu-i386-static"
exit 77
