#!/usr/bin/env bash
# The release of the 64-bit variant, end to end under wine64, in a prefix of its own:
# - scripts/release.sh makes it (and checks that tarvo.exe has no debug sections and that its
#   debug link matches the debug file); packing the root again gives the same zip, byte for byte;
# - the installer, silent, installs into a folder with a blank in its name; tarvo.exe starts
#   from there without the first-run question and shows its frame; the compiler keys name the
#   folder;
# - the uninstaller, silent, leaves no installed file, Start menu entry or key it wrote, keeps
#   the user's settings and a file of the user's in the folder; with /REMOVESETTINGS the
#   settings go too.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/scripts/common.sh"
JOBS=${JOBS:-2}

fail() { echo "FAIL: $*" >&2; exit 1; }

bash "$top/scripts/release.sh" win64 >"$TARVO_BUILD/release-test.log" 2>&1 || {
  tail -n 40 "$TARVO_BUILD/release-test.log" >&2; fail "scripts/release.sh win64"; }
build=$TARVO_BUILD/release-win64
version=$(cat "$build/tarvo_version")
setup=$TARVO_BUILD/release/tarvo-$version-win64-setup.exe
zipfile=$TARVO_BUILD/release/tarvo-$version-win64.zip
[ -f "$setup" ] && [ -f "$zipfile" ] || fail "the release made no installer or zip"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The same inputs give the same bytes, even with other file times in the root.
touch "$build/root/bin/tarvo.exe"
bash "$top/scripts/package.sh" "$build/root" "$scratch/again.zip" >/dev/null
cmp "$zipfile" "$scratch/again.zip" || fail "packing the same root twice gave different zips"
# The listing is read whole before it is searched: with pipefail, grep -q leaving early would
# make unzip die of a broken pipe and a present file look missing.
listing=$(unzip -Z1 "$zipfile")
grep -qx 'bin/tarvo.exe' <<<"$listing" || fail "the zip lacks bin/tarvo.exe"
grep -qx 'bin/hcrtf.exe' <<<"$listing" || fail "the zip lacks the help compiler"
if grep -q '\.debug$' <<<"$listing"; then fail "the zip carries the debug file"; fi

cmake --build "$build" -j "$JOBS" --target tarvoctl >/dev/null
run=$build/wine-run.sh
server=/usr/lib/wine/wineserver64
prefix=$build/wineprefix
# A fresh prefix: nothing of an earlier run (files, keys) may make the checks pass.
WINEPREFIX=$prefix "$server" -k >/dev/null 2>&1 || true
rm -rf "$prefix"

folder='C:\Program Files\Tarvo Test'
unix="$prefix/drive_c/Program Files/Tarvo Test"
query() { "$run" reg query "$@" 2>/dev/null | tr -d '\r'; }
has_key() { "$run" reg query "$1" >/dev/null 2>&1; }
menu_entry() { find "$prefix/drive_c" -path '*Start Menu/Programs/Tarvo/Tarvo.lnk' | head -n 1; }

install() {
  # The installer reads /D= unquoted to the end of its command line, and Wine quotes an
  # argument with blanks: the folder goes as words that Wine joins with blanks.
  local words
  read -ra words <<<"/D=$folder"
  "$run" "$setup" /S "${words[@]}" || fail "the installer ended with status $?"
  [ -f "$unix/bin/tarvo.exe" ] || fail "no bin\\tarvo.exe in the chosen folder"
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvo'
# The uninstaller runs from a copy of itself and returns at once: wait until it has removed
# its entry in the installed programs, its last step.
uninstall() {
  "$run" "$folder\\uninstall.exe" /S "$@" || fail "the uninstaller ended with status $?"
  local i
  for i in $(seq 1 120); do
    has_key "$uninstall_key" || return 0
    sleep 0.5
  done
  fail "the uninstaller did not finish"
}

install
(cd "$build/stage" && find . -type f) | while IFS= read -r f; do
  [ -f "$unix/${f#./}" ] || fail "not installed: $f"
done
[ -n "$(menu_entry)" ] || fail "no Start menu entry"
has_key "$uninstall_key" || fail "no entry in the installed programs"
query 'HKCU\Software\vex\Compiler' /v includepath | grep -F >/dev/null "$folder\\include" ||
  fail "includepath does not name the install folder: $(query 'HKCU\Software\vex\Compiler' /v includepath)"
query 'HKCU\Software\vex\vexlnk' /v libpath | grep -F >/dev/null "$folder\\lib" || fail "libpath does not name the install folder"

# The program starts from the folder with no first-run question: its frame comes up.
"$run" "$folder\\bin\\tarvo.exe" >"$scratch/tarvo.log" 2>&1 &
tarvo=$!
if ! "$run" "$build/tarvoctl.exe" wait-frame 60; then
  kill "$tarvo" 2>/dev/null || true
  fail "tarvo.exe showed no frame (a first-run question?)"
fi
"$run" "$build/tarvoctl.exe" close 30 || fail "tarvo.exe did not close"
wait "$tarvo" || fail "tarvo.exe ended with status $?"

# The user's own: a setting, and a file left in the root.
"$run" reg add 'HKCU\Software\vex\Tarvo' /v KeptByUninstall /d yes /f >/dev/null
echo "mine" >"$unix/notes.txt"
uninstall
(cd "$build/stage" && find . -type f) | while IFS= read -r f; do
  [ ! -e "$unix/${f#./}" ] || fail "left behind: $f"
done
[ -f "$unix/notes.txt" ] || fail "the user's own file in the folder went"
[ -z "$(menu_entry)" ] || fail "the Start menu entry stayed"
! has_key 'HKCU\Software\vex\Compiler' || fail "the compiler key stayed"
! has_key 'HKCU\Software\vex\vexlnk' || fail "the linker key stayed"
query 'HKCU\Software\vex\Tarvo' /v KeptByUninstall | grep yes >/dev/null || fail "the user's settings went unasked"

# Asked to, the uninstaller removes the settings as well, and Software\vex with them.
install
uninstall /REMOVESETTINGS
! has_key 'HKCU\Software\vex' || fail "Software\\vex stayed after /REMOVESETTINGS"
WINEPREFIX=$prefix "$server" -k >/dev/null 2>&1 || true
echo "installer test passed: $(stat -c %s "$setup") bytes installer, $(stat -c %s "$zipfile") bytes zip"
