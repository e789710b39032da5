# Shared by scripts/test and scripts/play: locating the tree and making sure
# the Debian packages a build needs are installed.

MIRQ_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
MIRQ_JOBS=$(nproc 2>/dev/null || echo 2)

# Packages the native build and its tests need.
MIRQ_BASE_PACKAGES=(cmake g++ make ninja-build libgtest-dev libgmock-dev libbenchmark-dev libreadline-dev
  pkgconf libcpp-httplib-dev nlohmann-json3-dev)

mirq_say() { printf '%s\n' "$*" >&2; }

# mirq_need_packages PKG...: installs the missing ones with apt-get when
# running as root; otherwise says exactly what to install and fails.
mirq_need_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
    mirq_say "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null || true
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    mirq_say "Missing packages: ${missing[*]}"
    mirq_say "Install them with: sudo apt-get install ${missing[*]}"
    return 1
  fi
}

# mirq_configure BUILD_DIR [cmake args...]
mirq_configure() {
  local dir=$1; shift
  local gen=()
  if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then
    gen=(-G Ninja)
  fi
  cmake -S "$MIRQ_ROOT" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}
