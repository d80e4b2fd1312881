#!/bin/bash
# Builds Tavrel.exe and starts it under Wine.
#
# With a DISPLAY the program runs there until it is closed. Without one it
# runs on a virtual display for a few seconds, a screenshot is written to
# build/screens/run.png, and the program is closed again.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
jobs=${TAVREL_JOBS:-2}

"$root/tools/setup.sh" || { echo "run: set-up failed" >&2; exit 1; }
. "$root/tools/wine-env.sh"

build() {
  local dir=$1 toolchain=(-DCMAKE_TOOLCHAIN_FILE="$2")
  # The toolchain is only taken at the first configure; repeating it warns.
  [ -f "$dir/CMakeCache.txt" ] && toolchain=()
  cmake -S . -B "$dir" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build "$dir" -j"$jobs" --target Tavrel
}

# The product is the 32-bit build; it is built even where it cannot run.
build build/win32 cmake/mingw-i686.cmake || { echo "run: the 32-bit build failed" >&2; exit 1; }
exe=build/win32/bin/Tavrel.exe
if [ "$TAVREL_WINE_FLAVOUR" = win64 ]; then
  echo "run: this machine cannot run 32-bit code; starting the 64-bit build of the same sources."
  build build/win64 cmake/mingw-x86_64.cmake || { echo "run: the 64-bit build failed" >&2; exit 1; }
  exe=build/win64/bin/Tavrel.exe
fi

if [ -n "${DISPLAY:-}" ]; then
  tavrel_make_prefix || exit 1
  echo "run: starting $exe on $DISPLAY"
  exec "$root/tools/wine-run.sh" "$exe"
fi

tavrel_start_xvfb || exit 1
tavrel_make_prefix || exit 1
tavrel_at_exit '"$WINESERVER" -k 2>/dev/null'
echo "run: no DISPLAY; starting $exe on the virtual display $DISPLAY"
"$root/tools/wine-run.sh" "$exe" &
pid=$!
tavrel_at_exit "kill $pid 2>/dev/null"
sleep "${TAVREL_RUN_SECONDS:-5}"

mkdir -p build/screens
shot=$root/build/screens/run.png
import -window root "$shot" || { echo "run: the screenshot failed" >&2; exit 1; }
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"
  echo "run: Tavrel.exe ended by itself before the screenshot (exit code $?)"
fi

# Ask the program to close the way a user would (Alt+F4 on its window); end
# it if it is still there a few seconds later.
window=$(xdotool search --name '^Tavrel' 2>/dev/null | head -1)
if [ -n "$window" ]; then
  xdotool windowfocus "$window" 2>/dev/null
  sleep 0.3
  xdotool key alt+F4
fi
for ((i = 0; i < 50; i++)); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "run: Tavrel.exe did not close; ending it"
  kill "$pid"
fi
wait "$pid" 2>/dev/null
echo "screenshot: $shot"
