# shellcheck shell=bash
# Wine environment shared by the tools; source it, do not run it.
#
# Picks the Wine flavour: "win32" where this machine can run 32-bit x86 code,
# otherwise "win64" (some kernels have 32-bit emulation switched off; there
# the tests run a 64-bit build of the same sources). Exports WINEARCH,
# WINELOADER, WINESERVER, WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES, and
# offers:
#   tavrel_make_prefix    create the Wine prefix once (safe to call in parallel)
#   tavrel_prefix_ready   true when the prefix is made and up to date
#   tavrel_start_xvfb     start a private virtual display and export DISPLAY
#                         (with tools/wm-state.py, see tavrel_start_wm_state)
#   tavrel_at_exit CMD    run CMD when the calling script ends (last in, first out)
#
# Overrides: TAVREL_WINE_FLAVOUR=win32|win64, TAVREL_WINEPREFIX=<dir>,
# TAVREL_WINEDEBUG=<channels>, TAVREL_DLLOVERRIDES=<more Wine DLL overrides>.

TAVREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

tavrel_can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1
}

if [ -z "${TAVREL_WINE_FLAVOUR:-}" ]; then
  if tavrel_can_run_32bit; then TAVREL_WINE_FLAVOUR=win32; else TAVREL_WINE_FLAVOUR=win64; fi
fi
export TAVREL_WINE_FLAVOUR

export WINEARCH=$TAVREL_WINE_FLAVOUR
if [ "$TAVREL_WINE_FLAVOUR" = win32 ]; then
  export WINELOADER=/usr/lib/wine/wine
else
  export WINELOADER=/usr/lib/wine/wine64
fi
# One server binary serves both loaders; the 64-bit one is Debian's default.
if [ -x /usr/lib/wine/wineserver64 ]; then
  export WINESERVER=/usr/lib/wine/wineserver64
else
  export WINESERVER=/usr/lib/wine/wineserver32
fi
export WINEPREFIX=${TAVREL_WINEPREFIX:-$TAVREL_ROOT/build/wine/prefix-$TAVREL_WINE_FLAVOUR}
export WINEDEBUG=${TAVREL_WINEDEBUG:--all}
# No Mono or Gecko here: keep wineboot from offering to download them.
# TAVREL_DLLOVERRIDES adds overrides of a test or a user, such as "d3d9=" to run
# without Direct3D 9.
export WINEDLLOVERRIDES="mscoree,mshtml=${TAVREL_DLLOVERRIDES:+;$TAVREL_DLLOVERRIDES}"

# --- clean-up on exit ---------------------------------------------------------

TAVREL_EXIT_HOOKS=()

tavrel_at_exit() {
  TAVREL_EXIT_HOOKS+=("$1")
}

_tavrel_on_exit() {
  local rc=$? i
  trap - EXIT
  for ((i = ${#TAVREL_EXIT_HOOKS[@]} - 1; i >= 0; i--)); do
    eval "${TAVREL_EXIT_HOOKS[i]}" || true
  done
  exit "$rc"
}

# Scripts only: an interactive shell that sources this keeps its own traps.
if [[ $- != *i* ]]; then
  trap _tavrel_on_exit EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
fi

# --- the prefix ---------------------------------------------------------------

# What the prefix holds beyond a fresh one. Raise the version whenever it
# changes: a prefix made for an older one is made again.
TAVREL_PREFIX_VERSION=2

# The settings, as a .reg file for regedit:
# - Chinese UI faces mapped to the CJK font that is installed, so that texts in
#   宋体 and the dialog fonts render instead of showing boxes;
# - no debugger on a crash. Wine starts the AeDebug debugger (winedbg) for an
#   exception nothing handled, and on a display winedbg waits for someone to
#   close its dialog; a test would hang until its timeout. A debugger command
#   that cannot start makes Wine print the exception and its address and end
#   the program at once. (32-bit programs of a 64-bit prefix read the
#   Wow6432Node copy.)
TAVREL_NO_DEBUGGER='tavrel-no-debugger-on-crash.exe %ld %ld'  # no such program
_tavrel_write_prefix_reg() {
  local faces=(SimSun 宋体 NSimSun 新宋体 "MS Shell Dlg" "MS Shell Dlg 2" Tahoma
               "Microsoft YaHei" 微软雅黑)
  local debug_keys=('HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug')
  [ "$TAVREL_WINE_FLAVOUR" = win64 ] &&
    debug_keys+=('HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug')
  local face key text
  text=$'Windows Registry Editor Version 5.00\r\n\r\n'
  text+=$'[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for face in "${faces[@]}"; do
    text+="\"$face\"=\"WenQuanYi Micro Hei\""$'\r\n'
  done
  for key in "${debug_keys[@]}"; do
    text+=$'\r\n'"[$key]"$'\r\n'
    text+="\"Debugger\"=\"$TAVREL_NO_DEBUGGER\""$'\r\n'
    text+=$'"Auto"="1"\r\n'
  done
  # regedit wants UTF-16 with a byte-order mark for names outside ASCII.
  { printf '\xff\xfe'; printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE; } >"$1"
}

# True when the prefix is complete and made for the current version.
tavrel_prefix_ready() {
  [ "$(cat "$WINEPREFIX/.tavrel-ready" 2>/dev/null)" = "$TAVREL_PREFIX_VERSION" ]
}

tavrel_make_prefix() {
  local ready=$WINEPREFIX/.tavrel-ready
  tavrel_prefix_ready && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    if ! flock -w 600 9; then
      echo "wine-env: timed out waiting for another prefix creation" >&2
      exit 1
    fi
    tavrel_prefix_ready && exit 0
    echo "wine-env: creating the $TAVREL_WINE_FLAVOUR Wine prefix $WINEPREFIX" >&2
    # A half-made prefix from an interrupted run, or one of an older version,
    # is started again from scratch.
    "$WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    "$WINELOADER" wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; exit 1; }
    local reg=$WINEPREFIX/drive_c/tavrel-prefix.reg
    _tavrel_write_prefix_reg "$reg"
    "$WINELOADER" regedit /S 'C:\tavrel-prefix.reg' >/dev/null 2>&1 ||
      { echo "wine-env: importing the prefix settings failed" >&2; exit 1; }
    # The registry reaches the disk when the server ends.
    "$WINESERVER" -w
    if ! grep -q 'WenQuanYi Micro Hei' "$WINEPREFIX/user.reg"; then
      echo "wine-env: the font replacements are missing from $WINEPREFIX/user.reg" >&2
      exit 1
    fi
    if ! grep -qF "\"Debugger\"=\"${TAVREL_NO_DEBUGGER%% *}" "$WINEPREFIX/system.reg"; then
      echo "wine-env: the crash debugger setting is missing from $WINEPREFIX/system.reg" >&2
      exit 1
    fi
    printf '%s' "$TAVREL_PREFIX_VERSION" >"$ready"
  ) 9>"$WINEPREFIX.lock"
}

# --- a private virtual display ------------------------------------------------

# Starts tools/wm-state.py on $DISPLAY and ends it with the calling script.
# The display has no window manager, and Wine waits 2 s for one whenever it
# hides a window (every closed program, every test window); the helper gives
# Wine the window state it waits for. Without it all works, only slower.
tavrel_start_wm_state() {
  local out pid i
  out=$(mktemp "${TMPDIR:-/tmp}/wm-state.XXXXXX") || return 1
  python3 "$TAVREL_ROOT/tools/wm-state.py" >"$out" 2>&1 &
  pid=$!
  tavrel_at_exit "kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -f '$out'"
  # Windows mapped before it watches would still wait: Wine starts after this.
  for ((i = 0; i < 200; i++)); do
    grep -q '^wm-state: watching' "$out" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "wine-env: the window state helper did not start: $(cat "$out")" >&2
  return 1
}

# Starts Xvfb on the first free display from :90 up, exports DISPLAY and
# TAVREL_XVFB_PID, and ends it when the calling script exits.
tavrel_start_xvfb() {
  local n pid i
  for ((n = 90; n < 190; n++)); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for ((i = 0; i < 100; i++)); do
      # Gone already: another caller took the display first; try the next.
      kill -0 "$pid" 2>/dev/null || break
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n" TAVREL_XVFB_PID=$pid
        tavrel_at_exit "kill $pid 2>/dev/null; wait $pid 2>/dev/null"
        tavrel_start_wm_state
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}
