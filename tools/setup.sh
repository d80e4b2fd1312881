#!/bin/bash
# Installs what building and testing need on Debian 12, and only what is
# missing, so it costs a second or two once everything is there.
#
#   tools/setup.sh           everything
#   tools/setup.sh native    only what the native build and its tests need;
#                            tools/test.sh installs the rest meanwhile
set -euo pipefail

native=$(dpkg --print-architecture)

# The native build, its tests and the fuzzers: clang with libFuzzer and the
# sanitizer runtimes. zlib inflates .docx archives.
native_packages=(libgtest-dev cmake make g++ python3 file zlib1g-dev clang libclang-rt-14-dev)
# A static 32-bit Linux build executes the engine callbacks' 32-bit trampoline
# code (under qemu-i386 where the kernel runs no 32-bit code).
if [ "$native" = amd64 ]; then
  native_packages+=(gcc-multilib g++-multilib qemu-user-static)
fi

# The Windows builds (zlib statically linked into them), Wine and the test
# tools. The X and GL libraries are ones Wine only recommends; they are named
# so that a no-recommends install still gets windows that draw like a full
# install's, and Direct3D over Mesa.
packages=(
  "${native_packages[@]}"
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine32:i386 wine64
  xvfb xdotool imagemagick fonts-wqy-microhei x11-utils locales
  libgl1-mesa-dri:i386
  "libgl1:$native" "libgl1-mesa-dri:$native" "libxrender1:$native" "libxcomposite1:$native"
  "libxcursor1:$native" "libxfixes3:$native" "libxi6:$native" "libxinerama1:$native"
  "libxrandr2:$native" "libxxf86vm1:$native"
)
# 32-bit Wine loads the i386 builds of the GL and X libraries, which a
# no-recommends wine32:i386 does not bring; without them Direct3D 9 and Direct2D
# cannot start and X drawing loses features. They go in wherever wine32:i386
# does, whether or not this kernel runs 32-bit code today: they are small, and
# whether it does is a setting of the machine (a check here would need Wine
# installed first), so a machine that later runs the 32-bit build finds them.
packages+=(libgl1:i386 libglx-mesa0:i386 libxrender1:i386 libxcomposite1:i386 libxcursor1:i386
           libxi6:i386 libxrandr2:i386 libxinerama1:i386 libxxf86vm1:i386 libxfixes3:i386)

only_native=
case ${1:-} in
  native)
    only_native=1
    packages=("${native_packages[@]}")
    ;;
  "") ;;
  *) echo "usage: $0 [native]" >&2; exit 2 ;;
esac

# Wine takes its ANSI code page from the Unix locale; the end-to-end tests run
# the program under code page 936 with this one.
locale=zh_CN.UTF-8

has_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'
}

make_locale() {
  [ -n "$only_native" ] && return 0
  has_locale && return 0
  echo "setup: generating the $locale locale"
  as_root localedef -i zh_CN -f UTF-8 "$locale"
}

# Status of every listed package in one dpkg call, as "name:arch status".
status=$(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Status}\n' \
  "${packages[@]%%:*}" 2>/dev/null || true)

installed() {
  local line
  while read -r line; do
    case $1 in
      *:*) [ "$line" = "$1 installed" ] && return 0 ;;
      *) [[ $line == "$1":*" installed" ]] && return 0 ;;
    esac
  done <<<"$status"
  return 1
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "setup: missing packages must be installed as root: $*" >&2
    exit 1
  fi
}

need_i386=
[ -z "$only_native" ] && ! dpkg --print-foreign-architectures | grep -qx i386 && need_i386=1

missing=()
for p in "${packages[@]}"; do
  # Before i386 is enabled, dpkg cannot even name the i386 packages.
  if [ -n "$need_i386" ] && [[ $p == *:i386 ]]; then
    missing+=("$p")
  elif ! installed "$p"; then
    missing+=("$p")
  fi
done

if [ -z "$need_i386" ] && [ ${#missing[@]} -eq 0 ]; then
  make_locale
  echo "setup: all packages present"
  exit 0
fi

if [ -n "$need_i386" ]; then
  echo "setup: enabling the i386 architecture"
  as_root dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}"
as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
make_locale
echo "setup: done"
