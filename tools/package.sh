#!/usr/bin/env bash
# Builds the Debian package of the game and checks it with lintian. Installs what is missing,
# builds from a copy of the source tree in a scratch folder (dpkg-buildpackage writes next to
# the tree it builds, so the checkout stays clean) and puts tessel_*.deb, with its .changes,
# .buildinfo and the source package, into the output folder (default build-deb/):
#   bash tools/package.sh [output-folder]
# Then: apt-get install ./build-deb/tessel_*.deb
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build-deb}")

source "$root/tools/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

work=$(mktemp -d /tmp/tessel-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The files git knows of (tracked, and new ones not ignored), so that no build folder or
# other ignored output of the checkout ends up in the package; a tree without git is copied
# whole, less its build folders.
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
src="$work/tessel-$version"
mkdir -p "$src"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$root" ls-files -z --cached --others --exclude-standard |
        (cd "$root" && tar --null --files-from=- -cf -) | tar -xf - -C "$src"
else
    tar -C "$root" --exclude='./build*' --exclude='./debian/build' -cf - . | tar -xf - -C "$src"
fi

jobs=$(nproc)
echo "Building the package in $work (parallel=$jobs)"
if ! (cd "$src" && DEB_BUILD_OPTIONS="parallel=$jobs ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage -us -uc >"$work/build.log" 2>&1); then
    tail -n 60 "$work/build.log"
    echo "package: dpkg-buildpackage FAILED"
    exit 1
fi

mkdir -p "$out"
rm -f "$out"/tessel_* "$out"/tessel-dbgsym_*
cp "$work"/tessel_* "$out"/
cp "$work"/tessel-dbgsym_* "$out"/ 2>/dev/null || true
changes=$(ls "$out"/tessel_*.changes)

# Errors and warnings fail the package; informational tags are printed for the record.
echo "lintian $(basename "$changes")"
lintian --info --display-info --fail-on error,warning "$changes"
echo "package: $(cd "$out" && ls tessel_*.deb)"
