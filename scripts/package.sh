#!/usr/bin/env bash
# Packs a compiler root as one zip, byte for byte the same for the same files:
#   scripts/package.sh ROOT ZIP [STAGE]
# ROOT is the root a Windows build assembled (build/<name>/root); the files taken are those of
# resources/release/package.list. STAGE (default ZIP without .zip) receives the same files as
# a folder, for the installer. Time stamps are SOURCE_DATE_EPOCH, else the last commit's time,
# and the entries are in byte order of their names, without directory entries or Unix extras.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
list=$top/resources/release/package.list

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: scripts/package.sh ROOT ZIP [STAGE]" >&2
  exit 2
fi
root=$1
zipfile=$(realpath -m "$2")
stage=$(realpath -m "${3:-${zipfile%.zip}}")
[ -d "$root/bin" ] || { echo "package: $root is not a compiler root (no bin folder)" >&2; exit 1; }
[ -f "$list" ] || { echo "package: the content list $list is missing" >&2; exit 1; }
case $stage in
  /|"$top"|"$top/"*/root|"$(realpath -m "$root")") echo "package: refusing to use $stage as the stage" >&2; exit 1 ;;
esac

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
# A zip's time stamps start in 1980.
[ "$SOURCE_DATE_EPOCH" -ge 315532800 ] || SOURCE_DATE_EPOCH=315532800

# Every pattern must match: a missing file is a failed build, not a smaller package.
files=()
while IFS= read -r pattern || [ -n "$pattern" ]; do
  pattern=${pattern%%#*}
  pattern=$(echo "$pattern" | xargs)
  [ -n "$pattern" ] || continue
  matched=()
  for f in "$root"/$pattern; do
    [ -f "$f" ] && matched+=("${f#"$root"/}")
  done
  if [ ${#matched[@]} -eq 0 ]; then
    echo "package: nothing in $root matches '$pattern' (resources/release/package.list)" >&2
    exit 1
  fi
  files+=("${matched[@]}")
done <"$list"

rm -rf "$stage"
mkdir -p "$stage"
mapfile -t sorted < <(printf '%s\n' "${files[@]}" | LC_ALL=C sort -u)
for f in "${sorted[@]}"; do
  mkdir -p "$stage/$(dirname "$f")"
  cp "$root/$f" "$stage/$f"
  chmod 0644 "$stage/$f"
  touch -h -d "@$SOURCE_DATE_EPOCH" "$stage/$f"
done

rm -f "$zipfile"
mkdir -p "$(dirname "$zipfile")"
# -X: no Unix owner or extra time fields; -D: no directory entries; UTC for the DOS times.
(cd "$stage" && printf '%s\n' "${sorted[@]}" | TZ=UTC zip -X -D -q -9 "$zipfile" -@)
echo "package: $zipfile (${#sorted[@]} files)"
