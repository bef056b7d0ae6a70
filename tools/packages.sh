# Debian 12 packages for building and playing, the extra ones for the test suite, and those
# for building and checking the Debian package. Sourced by the scripts in tools/;
# ensure_packages installs only when something is missing.

BUILD_PACKAGES=(
    cmake g++ make pkg-config
    libglfw3-dev libglew-dev libglm-dev libfreetype-dev libassimp-dev libinih-dev
    libbullet-dev libopenal-dev libsndfile1-dev libgl1-mesa-dri
)

# SoX measures what the game plays (and makes the sounds: tools/make_sounds.sh); PulseAudio is a
# sound server that a test stops and starts under the game.
TEST_PACKAGES=(
    libgtest-dev xvfb xauth xdotool x11-utils imagemagick mesa-utils faketime
    tesseract-ocr sox libsox-fmt-base pulseaudio pulseaudio-utils
    clang libclang-rt-14-dev
)

# dpkg-buildpackage and debhelper build the package; lintian, desktop-file-validate,
# appstreamcli and man check it; the font package is the one the installed game links its font
# to.
PACKAGE_PACKAGES=(
    dpkg-dev debhelper lintian desktop-file-utils appstream man-db fonts-crosextra-carlito
)

package_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Installs the named packages that are not installed yet; skips apt entirely otherwise.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        package_installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing: ${missing[*]}"
    local run_as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Please run as root to install packages."; return 1; }
        run_as_root=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${run_as_root[@]}" apt-get update &&
        "${run_as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}
