# Shared by the README's commands: set-up, the builds, and a display for Wine.
# Sourced, not run.
TARVO_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TARVO_BUILD=${TARVO_BUILD:-$TARVO_TOP/build}
JOBS=${JOBS:-$(nproc)}

say() { printf '== %s\n' "$*"; }

tarvo_setup() { bash "$TARVO_TOP/scripts/setup.sh"; }

# configure_and_build DIR [cmake options...]
configure_and_build() {
  local dir=$1; shift
  local launcher=()
  # Paths below the checkout are hashed relative to it, so every checkout shares one cache.
  if command -v ccache >/dev/null; then
    local run="env;CCACHE_BASEDIR=$TARVO_TOP;CCACHE_NOHASHDIR=1;CCACHE_MAXSIZE=15G;ccache"
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER="$run" -DCMAKE_CXX_COMPILER_LAUNCHER="$run")
  fi
  cmake -S "$TARVO_TOP" -B "$dir" "${launcher[@]}" "$@" >"$dir.configure.log" 2>&1 || {
    mkdir -p "$dir"; cat "$dir.configure.log" >&2; return 1; }
  # TARVO_BUILD_TARGET names one target to build instead of all (the release builds the root).
  cmake --build "$dir" -j "$JOBS" ${TARVO_BUILD_TARGET:+--target "$TARVO_BUILD_TARGET"} >"$dir.build.log" 2>&1 || {
    grep -E -A3 'error|Error' "$dir.build.log" | head -60 >&2; return 1; }
}

# The product is 32-bit. Where the host kernel cannot execute 32-bit code (Wine's 32-bit
# loader is then refused), the same sources are built for 64-bit Windows to run under Wine.
host_runs_i386() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

build_windows() {
  mkdir -p "$TARVO_BUILD"
  say "building tarvo.exe (32-bit Windows) in $TARVO_BUILD/win32"
  configure_and_build "$TARVO_BUILD/win32" -DCMAKE_TOOLCHAIN_FILE="$TARVO_TOP/cmake/mingw-i686.cmake" || return 1
  if host_runs_i386; then
    TARVO_RUN_BUILD=$TARVO_BUILD/win32
  else
    say "this host cannot run 32-bit code; building the 64-bit Windows variant for Wine"
    configure_and_build "$TARVO_BUILD/win64" -DCMAKE_TOOLCHAIN_FILE="$TARVO_TOP/cmake/mingw-x86_64.cmake" || return 1
    TARVO_RUN_BUILD=$TARVO_BUILD/win64
  fi
}

# Starts Xvfb when there is no display; sets DISPLAY and TARVO_XVFB_PID.
TARVO_XVFB_PID=
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    TARVO_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$TARVO_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "could not start Xvfb" >&2
  return 1
}

stop_display() {
  [ -n "$TARVO_XVFB_PID" ] && kill "$TARVO_XVFB_PID" 2>/dev/null || true
  TARVO_XVFB_PID=
}

# Ends the Wine server of a build's prefix so nothing is left running.
stop_wine() {
  local dir=$1
  [ -d "$dir/wineprefix" ] || return 0
  # The build's own Wine wrapper names the server of its machine.
  local server
  server=$(grep -o '/usr/lib/wine/wineserver[0-9]*' "$dir/wine-run.sh" 2>/dev/null | head -n 1)
  [ -n "$server" ] || server=/usr/lib/wine/wineserver64
  WINEPREFIX="$dir/wineprefix" "$server" -k >/dev/null 2>&1 || true
}

# prepare_windows_bench BUILD-DIR TARGET...: builds the Windows program (in this machine's build
# when BUILD-DIR is empty) and the benchmark targets, and starts a display; sets BENCH_BUILD.
prepare_windows_bench() {
  BENCH_BUILD=$1; shift
  if [ -z "$BENCH_BUILD" ]; then
    build_windows
    BENCH_BUILD=$TARVO_RUN_BUILD
  fi
  cmake --build "$BENCH_BUILD" -j "$JOBS" --target "$@" >/dev/null
  ensure_display
}
