# Shared by scripts/run and scripts/test: installs what the build needs, then configures and builds.
set -euo pipefail

VANTOR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VANTOR_BUILD="${VANTOR_BUILD:-$VANTOR_ROOT/build}"
# What building and running need; scripts/test and scripts/sanitize add what testing needs.
VANTOR_PACKAGES=(cmake ninja-build g++ ccache qt6-base-dev libpugixml-dev nlohmann-json3-dev libzip-dev libarchive-dev zlib1g-dev mame)
VANTOR_TEST_PACKAGES=(libgtest-dev libgmock-dev desktop-file-utils appstream man-db groff-base dpkg-dev file libxml2-utils python3)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing_packages() {
    local missing=()
    for pkg in "${VANTOR_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# configure_and_build [TARGET...]: everything, or just the named targets. Returns non-zero when
# either step fails (callers may run with errexit off).
configure_and_build() {
    cmake -S "$VANTOR_ROOT" -B "$VANTOR_BUILD" -G Ninja -DVANTOR_BUILD_TESTS=ON > /dev/null || return
    if [ "$#" -gt 0 ]; then
        local targets=()
        for target in "$@"; do
            # The desktop program is only there when Qt is.
            if cmake --build "$VANTOR_BUILD" --target help | grep -q "^$target:"; then targets+=("$target"); fi
        done
        cmake --build "$VANTOR_BUILD" --target "${targets[@]}"
    else
        cmake --build "$VANTOR_BUILD"
    fi
}

# MAME's own listing: generated once per build folder, never committed.
make_real_listxml() {
    local out="$VANTOR_BUILD/real/listxml.xml"
    if [ ! -s "$out" ]; then
        mkdir -p "$(dirname "$out")"
        echo "Generating the real MAME listing into $out"
        /usr/games/mame -listxml > "$out.tmp" && mv "$out.tmp" "$out" || { rm -f "$out.tmp"; return 1; }
    fi
}
