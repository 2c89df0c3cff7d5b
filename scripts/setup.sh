#!/usr/bin/env bash
# Installs what building and testing Tarvo needs on Debian 12. Idempotent: when everything
# is present it only checks and returns within seconds.
set -euo pipefail

need_root() {
  if [ "$(id -u)" != 0 ]; then
    if command -v sudo >/dev/null 2>&1; then echo sudo; else
      echo "setup: must run as root (or with sudo available)" >&2; exit 1; fi
  fi
}
SUDO=$(need_root)

# Debian package name -> a file that proves it is installed (cheaper than asking dpkg for all).
packages=(
  "cmake:/usr/bin/cmake"
  # Rebuilds of the same sources (several checkouts, a clean clone) come from its cache.
  "ccache:/usr/bin/ccache"
  "make:/usr/bin/make"
  "g++:/usr/bin/g++"
  "googletest:/usr/src/googletest/CMakeLists.txt"
  "g++-mingw-w64-i686:/usr/bin/i686-w64-mingw32-g++-posix"
  "binutils-mingw-w64-i686:/usr/bin/i686-w64-mingw32-windres"
  "g++-mingw-w64-x86-64-posix:/usr/bin/x86_64-w64-mingw32-g++-posix"
  "binutils-mingw-w64-x86-64:/usr/bin/x86_64-w64-mingw32-windres"
  "gcc-mingw-w64-i686-posix:/usr/bin/i686-w64-mingw32-gcc-posix"
  "gcc-mingw-w64-x86-64-posix:/usr/bin/x86_64-w64-mingw32-gcc-posix"
  "binutils-mingw-w64-i686:/usr/bin/i686-w64-mingw32-nm"
  "binutils-mingw-w64-x86-64:/usr/bin/x86_64-w64-mingw32-addr2line"
  # objdump's disassembly of the same images is the oracle of the instruction decoder's tests.
  "binutils-mingw-w64-i686:/usr/bin/i686-w64-mingw32-objdump"
  "binutils-mingw-w64-x86-64:/usr/bin/x86_64-w64-mingw32-objdump"
  "util-linux:/usr/bin/flock"
  "wine:/usr/bin/wine"
  "wine32:i386:/usr/lib/wine/wine"
  "wine64:/usr/lib/wine/wine64"
  "xvfb:/usr/bin/Xvfb"
  "xauth:/usr/bin/xauth"
  "imagemagick:/usr/bin/import"
  "x11-utils:/usr/bin/xwininfo"
  "file:/usr/bin/file"
  "fonts-wine:/usr/share/wine/fonts/tahoma.ttf"
  "clang-14:/usr/bin/clang-14"
  # The oracle of the CodeView conversion's tests: llvm-readobj dumps the objects' records.
  "llvm-14:/usr/bin/llvm-readobj-14"
  # A real C program for the conversion's test: zlib's example enough.c.
  "zlib1g-dev:/usr/share/doc/zlib1g-dev/examples/enough.c"
  "grep:/bin/grep"
  "universal-ctags:/usr/bin/ctags-universal"
  # Grep's benchmark puts ripgrep beside GNU grep.
  "ripgrep:/usr/bin/rg"
  # Real C for the function finder's comparison with ctags: plain-C headers and sources.
  "libc6-dev:/usr/include/ctype.h"
  "linux-libc-dev:/usr/include/linux/nilfs2_api.h"
  "libpython3-dev:/usr/share/doc/libpython3-dev/copyright"
  "cmake-data:/usr/share/doc/cmake-data/copyright"
  "rcs:/usr/bin/co"
  "gcc-mingw-w64-i686-posix:/usr/bin/i686-w64-mingw32-gcc"
  "gcc-mingw-w64-x86-64-posix:/usr/bin/x86_64-w64-mingw32-gcc"
  # Oracles of the cross-reference scan, the call tree and the help text: callers and callees,
  # the call graph, and the RTF read back as text.
  "cscope:/usr/bin/cscope"
  "cflow:/usr/bin/cflow"
  "unrtf:/usr/bin/unrtf"
  # The release: the Windows installer (makensis) and the compiler root's zip package.
  "nsis:/usr/bin/makensis"
  "zip:/usr/bin/zip"
  "unzip:/usr/bin/unzip"
  # Oracles of the binary editor's rows: od (coreutils) and xxd.
  "xxd:/usr/bin/xxd"
)

missing=()
for entry in "${packages[@]}"; do
  name=${entry%:*}; proof=${entry##*:}
  [ -e "$proof" ] || missing+=("$name")
done

# wine32 must be the i386 package; its files land in the i386 multiarch tree.
if [ ! -e /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] && \
   [ ! -e /usr/lib/wine/i386-windows/kernel32.dll ]; then
  missing+=("wine32:i386")
fi

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# Unique names; keep the order stable.
mapfile -t uniq < <(printf '%s\n' "${missing[@]}" | awk '!seen[$0]++')
$SUDO apt-get install -y -qq --no-install-recommends "${uniq[@]}" >/dev/null
echo "setup: done"
