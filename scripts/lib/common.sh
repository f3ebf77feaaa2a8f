# Shared by scripts/test.sh and scripts/run.sh: package installation, the X
# display and the Wine prefix. Source it; it defines functions only.

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Debian packages a fresh machine may lack, by purpose.
build_packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libbenchmark-dev
                libmsgpack-cxx-dev nlohmann-json3-dev g++-mingw-w64-x86-64-posix
                binutils-mingw-w64-x86-64)
wine_packages=(wine wine64 xvfb xauth x11-apps imagemagick)

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
