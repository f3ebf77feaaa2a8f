# Shared by scripts/test.sh and scripts/run.sh: package installation, the X
# display and the Wine prefix. Source it; it defines functions only.

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Debian packages a fresh machine may lack, by purpose.
build_packages=(cmake ninja-build g++ clang lld libclang-rt-14-dev googletest libbenchmark-dev
                libmsgpack-cxx-dev nlohmann-json3-dev g++-mingw-w64-x86-64-posix
                binutils-mingw-w64-x86-64)
wine_packages=(wine wine64 xvfb xserver-xephyr xauth x11-apps x11-utils imagemagick)
package_packages=(nsis osslsigncode openssl)

log() { printf '== %s\n' "$*" >&2; }

# Installs the given Debian packages that are not installed yet.
install_missing() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || missing+=("$pkg")
  done
  ((${#missing[@]})) || return 0
  log "installing ${missing[*]}"
  local sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq >/dev/null
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Starts one Xvfb for this shell and its children when there is no display.
ensure_display() {
  [[ -n "${DISPLAY:-}" ]] && return 0
  local n
  for n in $(seq 90 120); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.1
    done
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
    return 0
  done
  log "no free X display number" && return 1
}

# Wine prefix: WINEPREFIX when set, else one inside the given build tree.
use_wine_prefix() {
  export WINEPREFIX="${WINEPREFIX:-$1/wineprefix}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# Creates the Wine prefix named by WINEPREFIX once, before any program runs in
# it, so that Wine's first-run messages never mix with a program's output.
# Holds the same lock as cmake/wine-run.sh, so that the two never boot one
# prefix at the same time.
ensure_wine_prefix() {
  [[ -f "$WINEPREFIX/system.reg" ]] && return 0
  log "creating the Wine prefix $WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
      wine64_binary wineboot -i >/dev/null 2>&1 || true
      wineserver -w || true
    fi
  ) 9>"$WINEPREFIX.lock"
}

# Runs Wine's 64-bit loader with the given arguments.
wine64_binary() {
  local wine=/usr/lib/wine/wine64
  [[ -x "$wine" ]] || wine=$(command -v wine64 || command -v wine)
  "$wine" "$@"
}

# The Windows form (drive Z:) of a Linux path, for programs running under Wine.
to_windows_path() {
  local absolute
  absolute="$(realpath -m "$1")"
  printf 'Z:%s' "${absolute//\//\\}"
}

# When ensure_display started an Xvfb: lets Wine's own processes end while that
# display still exists, so that they leave quietly instead of losing it.
finish_wine_on_virtual_display() {
  [[ -z "${xvfb_pid:-}" ]] || timeout 15 wineserver -w 2>/dev/null || true
}

# Runs a command with its output held back, and shows that output only when
# the command fails.
run_quietly() {
  local output code=0
  output="$(mktemp)"
  "$@" >"$output" 2>&1 || code=$?
  ((code == 0)) || cat "$output" >&2
  rm -f "$output"
  return "$code"
}

# The plug-in libraries the host imports, beside it in the bundle.
bundle_plugins=(desktop_drop_plugin flutter_secure_storage_windows_plugin local_notifier_plugin
                tray_manager_plugin webview_windows_plugin)

# Lays out the application bundle as it ships: the host from BUILD_DIR/bin,
# beside it the engine and plug-in libraries, and the application data the
# engine is pointed at. With ENGINE_DIR (the real engine: its libraries and
# its data/ folder), those are taken from there; otherwise the stand-ins of
# BUILD_DIR/bin and placeholder data files, which the stand-in does not read.
lay_out_bundle() {
  local build_dir="$1" bundle="$2" engine_dir="${3:-}" plugin
  rm -rf "$bundle"
  mkdir -p "$bundle"
  cp "$build_dir/bin/quorvane_ai.exe" "$bundle/"
  if [[ -n "$engine_dir" ]]; then
    cp "$engine_dir"/*.dll "$bundle/"
    cp -r "$engine_dir/data" "$bundle/"
    return 0
  fi
  cp "$build_dir/bin/flutter_windows.dll" "$bundle/"
  for plugin in "${bundle_plugins[@]}"; do cp "$build_dir/bin/$plugin.dll" "$bundle/"; done
  mkdir -p "$bundle/data/flutter_assets"
  echo '{}' >"$bundle/data/flutter_assets/AssetManifest.json"
  echo "placeholder: ICU data of the real engine" >"$bundle/data/icudtl.dat"
  echo "placeholder: the application compiled ahead of time" >"$bundle/data/app.so"
}
