#!/bin/bash
# Builds everything and runs every test:
#   1. native build of the platform-free logic and its unit tests, and the
#      same tests built again with the address and undefined-behaviour
#      sanitizers and the library's own container checks;
#   2. cross build of the product, build/win32 (always: it must build even
#      where it cannot run), and on machines that cannot run 32-bit code also
#      build/win64, the same sources for 64-bit Windows;
#   3. the Windows tests of the build that can run here, under Wine on a
#      private virtual display.
# Ends with one line "N passed, N failed"; exits non-zero when a test failed
# or something did not build.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
jobs=${TAVREL_JOBS:-2}
test_timeout=${TAVREL_TEST_TIMEOUT:-180}
started=$SECONDS

"$root/tools/setup.sh" native || { echo "test: set-up failed" >&2; exit 1; }
mkdir -p build/logs
# The rest of the set-up (the cross compilers, Wine, the X tools: most of it on
# a fresh machine) installs while the native trees build.
"$root/tools/setup.sh" >build/logs/setup.log 2>&1 &
setup_pid=$!
# TAVREL_WINE_FLAVOUR=win64 runs the 64-bit path on a machine that could run
# the product build, to keep both paths green.
flavour_asked=${TAVREL_WINE_FLAVOUR:-}

passed=0
failed=0
skipped=0
problems=()

step() {
  echo
  echo "=== $* (at $((SECONDS - started)) s) ==="
}

# configure_and_build DIR [CMAKE ARGS...]: configures and builds; a build
# error still leaves whatever did build for the tests to run.
configure_and_build() {
  local dir=$1
  shift
  # The toolchain is only taken at the first configure; repeating it warns.
  [ -f "$dir/CMakeCache.txt" ] && set --
  if ! cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"; then
    problems+=("$dir did not configure")
    return 2
  fi
  local keep_going=()
  grep -q '^CMAKE_GENERATOR:INTERNAL=Unix Makefiles$' "$dir/CMakeCache.txt" && keep_going=(-- -k)
  if ! cmake --build "$dir" -j"$jobs" "${keep_going[@]}"; then
    problems+=("$dir did not build")
    return 1
  fi
}

# run_ctest DIR NAME: runs the tests of one build and adds up its counts.
# Tests run side by side, $jobs at a time: those that share something (the
# display, the clipboard, the Wine prefix's registry) say so with a resource
# lock, and the end-to-end scenarios run alone (tests/wine, tests/e2e).
run_ctest() {
  local dir=$1 log="build/logs/ctest-$2.log" line total fails skips
  ctest --test-dir "$dir" --output-on-failure --timeout "$test_timeout" -j"$jobs" 2>&1 | tee "$log"
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    fails=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  elif grep -q 'No tests were found' "$log"; then
    fails=0 total=0
  else
    problems+=("ctest in $dir gave no result")
    return
  fi
  # ctest counts skipped tests as passed; report them apart.
  skips=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$log")
  passed=$((passed + total - fails - skips))
  failed=$((failed + fails))
  skipped=$((skipped + skips))
}

# Both native trees are built while the rest of the set-up installs; their
# tests run after it, so that nothing else takes the fuzzers' time.
step "native build"
configure_and_build build/native
native_state=$?

# An index past the end or a division by zero that an ordinary build passes
# over ends the test that met it here: no recovery, so a finding is a failure.
step "native build with the sanitizers"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all"
configure_and_build build/native-asan -DTAVREL_FUZZERS=OFF \
  "-DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS $sanitize -fno-omit-frame-pointer" \
  "-DCMAKE_EXE_LINKER_FLAGS=$sanitize"
asan_state=$?

step "set-up of the Windows builds and Wine"
wait "$setup_pid"
setup_state=$?
cat build/logs/setup.log
if [ "$setup_state" -ne 0 ]; then
  echo "test: set-up failed" >&2
  exit 1
fi

step "native tests"
[ "$native_state" -le 1 ] && run_ctest build/native native

step "native tests with the sanitizers"
[ "$asan_state" -le 1 ] && run_ctest build/native-asan native-asan

. "$root/tools/wine-env.sh"
# The virtual display and the Wine prefix are made while the Windows build
# runs: a new prefix takes Wine seconds of starting its services and setting up.
display_ready=
prefix_pid=
if tavrel_start_xvfb; then
  display_ready=1
  tavrel_make_prefix >build/logs/wine-prefix.log 2>&1 &
  prefix_pid=$!
  tavrel_at_exit '"$WINESERVER" -k 2>/dev/null'
fi

step "Windows build, 32-bit (the product)"
configure_and_build build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
win32_state=$?

if [ "$TAVREL_WINE_FLAVOUR" = win32 ]; then
  test_dir=build/win32
  test_state=$win32_state
else
  if [ -n "$flavour_asked" ]; then
    why="TAVREL_WINE_FLAVOUR=$flavour_asked"
  else
    why="this machine cannot run 32-bit code"
  fi
  step "Windows build, 64-bit (for the Wine tests: $why)"
  configure_and_build build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
  test_state=$?
  test_dir=build/win64
fi

if [ "$test_state" -le 1 ]; then
  step "Windows tests under Wine ($test_dir)"
  if [ "$TAVREL_WINE_FLAVOUR" = win64 ]; then
    echo "note: $why; the Wine tests run the 64-bit build of the same sources."
  fi
  if [ -n "$display_ready" ]; then
    echo "virtual display $DISPLAY"
    wait "$prefix_pid"
    cat build/logs/wine-prefix.log
    # Made already, unless the first attempt failed: then once more, in view.
    tavrel_make_prefix
    if tavrel_prefix_ready; then
      run_ctest "$test_dir" wine
    else
      problems+=("the Wine prefix could not be made")
    fi
  else
    problems+=("no virtual display for the Wine tests")
  fi
fi

echo
for p in "${problems[@]}"; do
  echo "problem: $p"
done
[ "$skipped" -gt 0 ] && echo "$skipped skipped"
echo "time: $((SECONDS - started)) s"
# A step that did not build or run counts as one failure, so that the line
# never reads clean when something is missing.
failed=$((failed + ${#problems[@]}))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
