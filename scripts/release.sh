#!/usr/bin/env bash
# Makes a release:
#   scripts/release.sh [win32] [win64]      (both when none is named)
# For each variant: tarvo.exe and the root's tools built optimised (build/release-<variant>),
# the program without debug sections and its debug information beside it, the compiler root
# as a reproducible zip and a Windows installer. Everything lands in build/release/:
#   tarvo-<version>-<variant>.zip          the root (scripts/package.sh)
#   tarvo-<version>-<variant>-setup.exe    the installer (makensis)
#   tarvo-<version>-<variant>-debug/tarvo.exe.debug
set -euo pipefail
source "$(dirname "$0")/common.sh"

variants=("$@")
[ ${#variants[@]} -gt 0 ] || variants=(win32 win64)
for variant in "${variants[@]}"; do
  case $variant in
    win32|win64) ;;
    *) echo "usage: scripts/release.sh [win32] [win64]" >&2; exit 2 ;;
  esac
done

tarvo_setup
out=$TARVO_BUILD/release
mkdir -p "$out"

# check_debug_link EXE OBJDUMP: the program has no debug section, and its .gnu_debuglink
# names the debug file beside it with that file's CRC-32.
check_debug_link() {
  local exe=$1 objdump=$2 debug=$1.debug
  if "$objdump" -h "$exe" | grep -q ' \.debug_'; then
    echo "release: $exe still holds debug sections" >&2; return 1
  fi
  local link copy
  link=$(mktemp)
  copy=$(mktemp)
  if ! "${objdump%objdump}objcopy" --dump-section .gnu_debuglink="$link" "$exe" "$copy" 2>/dev/null; then
    rm -f "$link" "$copy"; echo "release: $exe has no debug link" >&2; return 1
  fi
  rm -f "$copy"
  # The link: the file name, zeros to a multiple of four, the CRC-32 of the file.
  local name crc_link crc_file
  name=$(head -c -4 "$link" | tr -d '\0')
  crc_link=$(tail -c 4 "$link" | od -An -tx1 | tr -d ' \n')
  # gzip's trailer holds the CRC-32 of its input, in the same byte order as the link.
  crc_file=$(gzip -c <"$debug" | tail -c 8 | head -c 4 | od -An -tx1 | tr -d ' \n')
  rm -f "$link"
  if [ "$name" != "$(basename "$debug")" ] || [ "$crc_link" != "$crc_file" ]; then
    echo "release: the debug link of $exe ($name, $crc_link) does not match $debug ($crc_file)" >&2
    return 1
  fi
}

# nsis_lists STAGE INSTALL UNINSTALL: the installer's File lines and the uninstaller's Delete
# and RMDir lines for exactly the staged files, deepest folders last.
nsis_lists() {
  local stage=$1 install=$2 uninstall=$3
  : >"$install"
  : >"$uninstall"
  local dir f
  while IFS= read -r dir; do
    local win=${dir#.}; win=${win//\//\\}
    echo "SetOutPath \"\$INSTDIR$win\"" >>"$install"
    while IFS= read -r f; do
      echo "File \"$stage/${f#./}\"" >>"$install"
      local wf=${f#.}; wf=${wf//\//\\}
      echo "Delete \"\$INSTDIR$wf\"" >>"$uninstall"
    done < <(cd "$stage" && find "$dir" -mindepth 1 -maxdepth 1 -type f | LC_ALL=C sort)
  done < <(cd "$stage" && find . -type d | LC_ALL=C sort)
  while IFS= read -r dir; do
    local win=${dir#.}; win=${win//\//\\}
    echo "RMDir \"\$INSTDIR$win\"" >>"$uninstall"
  done < <(cd "$stage" && find . -mindepth 1 -type d | LC_ALL=C sort -r)
}

for variant in "${variants[@]}"; do
  if [ "$variant" = win32 ]; then machine=i686; else machine=x86_64; fi
  dir=$TARVO_BUILD/release-$variant
  say "building the $variant release in $dir"
  mkdir -p "$dir"
  configure_args=(-DCMAKE_TOOLCHAIN_FILE="$TARVO_TOP/cmake/mingw-$machine.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo
                  -DTARVO_RELEASE=ON)
  # Only the root's programs: the tests are not part of a release.
  TARVO_BUILD_TARGET=tarvo_root configure_and_build "$dir" "${configure_args[@]}"
  version=$(cat "$dir/tarvo_version")
  exe=$dir/root/bin/tarvo.exe
  check_debug_link "$exe" "$machine-w64-mingw32-objdump"

  name=tarvo-$version-$variant
  say "packing $name"
  bash "$TARVO_TOP/scripts/package.sh" "$dir/root" "$out/$name.zip" "$dir/stage"
  rm -rf "$out/$name-debug"
  mkdir -p "$out/$name-debug"
  cp "$exe.debug" "$out/$name-debug/"

  say "making $name-setup.exe"
  nsis_lists "$dir/stage" "$dir/install.nsh" "$dir/uninstall.nsh"
  nsis_defines=(-DVERSION="$version" -DSTAGE="$dir/stage" -DFILES="$dir/install.nsh"
                -DUNFILES="$dir/uninstall.nsh" -DOUTFILE="$out/$name-setup.exe")
  [ "$variant" = win64 ] && nsis_defines+=(-DWIN64)
  makensis -V2 "${nsis_defines[@]}" "$TARVO_TOP/resources/release/tarvo.nsi" >"$dir/makensis.log" 2>&1 || {
    cat "$dir/makensis.log" >&2; echo "release: makensis failed" >&2; exit 1; }
  say "$variant: $(stat -c %s "$exe") bytes tarvo.exe, $(stat -c %s "$exe.debug") bytes of debug information"
done
say "release in $out:"
ls -l "$out"
