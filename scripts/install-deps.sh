#!/usr/bin/env bash
# Installs everything Imvexa needs on a Debian 12 machine: Debian's packages,
# the Japanese locale, libjpeg-turbo, ISA-L and GoogleTest cross-built for both
# Windows architectures, the emulator that runs 32-bit Windows programs, and
# template Wine prefixes for the Windows tests (x64, and x86 under emulation).
# The cross-built libraries and the template live in a versioned folder
# outside the clone, built once per machine; later runs only check them.
set -euo pipefail

DEPS_DIR=${IMVEXA_DEPS_DIR:-/opt/imvexa-deps/v1}
here=$(cd "$(dirname "$0")" && pwd)
jobs=$(nproc)

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev dpkg-dev
  mingw-w64 mingw-w64-tools nasm wine wine64 xvfb x11-apps imagemagick
  fonts-wine fonts-ipafont-gothic locales
  zlib1g-dev libz-mingw-w64-dev libjpeg62-turbo-dev libjpeg-turbo-progs libisal-dev
  libgtest-dev googletest libbenchmark-dev
  python3-pil python3-numpy
  libpng-dev
  qemu-user-static wine32:i386
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# A mirror caught mid-sync serves an index file of the wrong size and apt
# fails the whole update, though it keeps every index it did fetch. The update
# is tried again; if one index stays broken, the install goes on with the rest
# and fails clearly only if a package it needs is really missing. Without
# one architecture's security index, that architecture's packages could not
# match the other's versions, so the install then takes every package from the
# release itself (`install_from`).
install_from=()
apt_update() {
  local attempt
  for attempt in 1 2 3; do
    as_root apt-get update -qq && return
    echo "== apt-get update failed (attempt $attempt)" >&2
    [ "$attempt" -lt 3 ] && sleep 20
  done
  echo "== going on with the package indexes apt did fetch" >&2
  install_from=(-t "$(. /etc/os-release && echo "$VERSION_CODENAME")")
}

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "== installing: ${missing[*]}"
  apt_update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${install_from[@]}" "${missing[@]}" >/dev/null
}

# Wine's 32-bit loader is an i386 program: Debian's i386 packages, and the
# kernel hands such programs to qemu-i386.
enable_i386() {
  dpkg --print-foreign-architectures | grep -qx i386 && return
  echo "== adding the i386 architecture"
  as_root dpkg --add-architecture i386
  apt_update
}

register_i386_emulator() {
  local misc=/proc/sys/fs/binfmt_misc
  [ -e "$misc/register" ] || as_root mount -t binfmt_misc binfmt_misc "$misc"
  [ -e "$misc/qemu-i386" ] && return
  echo "== registering qemu-i386 for i386 programs"
  # F: the kernel opens the emulator now, so the registration serves every
  # mount namespace (containers, chroots) as well.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    | as_root tee "$misc/register" >/dev/null
}

install_locale() {
  locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' && return
  echo "== generating the ja_JP.UTF-8 locale"
  as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}

# Unpacks Debian's source package into the work folder once; prints its folder.
unpack_source() {
  local package=$1 work=$DEPS_DIR/src
  mkdir -p "$work"
  if ! ls -d "$work/$package"-*/ >/dev/null 2>&1; then
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
        | as_root tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
      apt_update >&2
    fi
    (cd "$work" && apt-get source --download-only "$package" && dpkg-source -x "$package"_*.dsc) >/dev/null 2>&1
  fi
  ls -d "$work/$package"-*/ | head -n 1
}

# libjpeg-turbo from Debian's source package, static, SIMD on.
build_libjpeg() {
  local arch=$1 prefix=$DEPS_DIR/$1
  [ -f "$prefix/.libjpeg-done" ] && return
  echo "== building libjpeg-turbo for $arch"
  local src work=$DEPS_DIR/src
  src=$(unpack_source libjpeg-turbo)
  cmake -S "$src" -B "$work/build-$arch" -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/toolchain-$arch.cmake" \
    -DIMVEXA_DEPS_DIR="$DEPS_DIR" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DREQUIRE_SIMD=ON >/dev/null
  cmake --build "$work/build-$arch" -j"$jobs" >/dev/null
  cmake --install "$work/build-$arch" >/dev/null
  touch "$prefix/.libjpeg-done"
}

# ISA-L (the inflater) from Debian's source package, static: with its nasm
# code for x64, its portable C code for x86 (it has no 32-bit Windows code,
# and its byte swaps are defined for 64-bit Windows only).
build_isal() {
  local arch=$1 prefix=$DEPS_DIR/$1
  [ -f "$prefix/.libisal-done" ] && return
  echo "== building ISA-L for $arch"
  local src build=$DEPS_DIR/src/isal-$arch
  src=$(unpack_source libisal)
  rm -rf "$build" && cp -r "$src" "$build"
  local options=(arch=mingw AS=nasm)
  [ "$arch" = win32 ] && options=(arch=noarch host_cpu=base_aliases CC=i686-w64-mingw32-gcc AR=i686-w64-mingw32-ar
    D="isal_bswap16=__builtin_bswap16 isal_bswap32=__builtin_bswap32 isal_bswap64=__builtin_bswap64")
  make -C "$build" -f Makefile.unx -j"$jobs" "${options[@]}" lib_name=isa-l.a isa-l.a >/dev/null 2>&1
  mkdir -p "$prefix/lib" "$prefix/include/isa-l"
  cp "$build/isa-l.a" "$prefix/lib/libisal.a"
  cp "$build"/include/*.h "$prefix/include/isa-l/"
  touch "$prefix/.libisal-done"
}

build_gtest() {
  local arch=$1 prefix=$DEPS_DIR/$1
  [ -f "$prefix/.gtest-done" ] && return
  echo "== building GoogleTest for $arch"
  cmake -S /usr/src/googletest -B "$DEPS_DIR/src/gtest-$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/toolchain-$arch.cmake" -DIMVEXA_DEPS_DIR="$DEPS_DIR" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$DEPS_DIR/src/gtest-$arch" -j"$jobs" >/dev/null
  cmake --install "$DEPS_DIR/src/gtest-$arch" >/dev/null
  touch "$prefix/.gtest-done"
}

enable_i386
install_packages
register_i386_emulator
install_locale
as_root mkdir -p "$DEPS_DIR"
as_root chown "$(id -u):$(id -g)" "$DEPS_DIR"
for arch in win64 win32; do
  build_libjpeg "$arch"
  build_isal "$arch"
  build_gtest "$arch"
done
"$here/wine-prefix.sh" template "$DEPS_DIR/wineprefix-template"
"$here/wine-prefix.sh" template32 "$DEPS_DIR/wineprefix-x86-template"
echo "== dependencies ready in $DEPS_DIR"
