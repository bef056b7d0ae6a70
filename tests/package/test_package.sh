# Builds the Debian package with tools/package.sh (lintian errors and warnings fail it), unpacks
# it with dpkg-deb -x into a scratch folder, never into the machine's own /usr, and checks what
# it installs: the launcher, the binary, every asset, the conffile, the desktop entry, the
# AppStream metainfo, the icons, the man page and the copyright file. Called as
#   bash test_package.sh <source-dir>
# Exits 77 (skipped) when the packaging tools are not installed; tools/test.sh installs them.
set -u

SOURCE_DIR=$(realpath "$1")
source "$SOURCE_DIR/tools/packages.sh"

missing=()
for package in "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"; do
    package_installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIP: not installed: ${missing[*]}"
    exit 77
fi

WORK_DIR=$(mktemp -d /tmp/tessel-package-test.XXXXXX)
trap 'rm -rf "$WORK_DIR"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

bash "$SOURCE_DIR/tools/package.sh" "$WORK_DIR/out" || { echo "FAIL: the package did not build"; exit 1; }
deb=$(ls "$WORK_DIR"/out/tessel_*.deb)
root="$WORK_DIR/root"
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x $deb"; exit 1; }
data="$root/usr/share/games/tessel"

# Where a link in the unpacked tree points, read inside that tree; prints nothing when the
# path is not a link.
link_target() {
    local link=$1
    [ -L "$root/$link" ] || return 0
    local target
    target=$(readlink "$root/$link")
    case $target in
        /*) echo "$target" ;;
        *) realpath -m --relative-to="$root" "$(dirname "$root/$link")/$target" | sed 's|^|/|' ;;
    esac
}

# ---- Control fields: dependencies from dpkg-shlibdeps plus the font and the GL driver.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libglfw3 libglew2.2 libassimp5 libfreetype6 libinireader0 libbullet libopenal1 \
    libsndfile1; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
for package in fonts-crosextra-carlito libgl1-mesa-dri; do
    grep -Eq "(^|, )$package(,|$| )" <<<"$depends" || fail "Depends lacks $package: $depends"
done
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "Section is not games"

# ---- The binary: an executable the launcher finds, whose libraries all resolve.
binary="$root/usr/libexec/tessel/tessel"
if [ -f "$binary" ] && [ -x "$binary" ]; then
    ldd "$binary" | grep -q "not found" && fail "unresolved libraries: $(ldd "$binary" | grep 'not found')"
    # Without a display it must start and stop with its own message and exit code 1.
    output=$(cd "$WORK_DIR" && env -u DISPLAY timeout 30 "$binary" </dev/null 2>&1)
    rc=$?
    [ "$rc" -eq 1 ] || fail "the binary without a display: exit code $rc, expected 1"
    grep -qxF "ERROR: Failed to init GLFW" <<<"$output" || fail "the binary without a display said: $output"
else
    fail "no executable usr/libexec/tessel/tessel"
fi

# ---- The launcher: starts the game from its data folder and hands back its exit code. A copy
# with the two paths moved into the scratch folder runs a stand-in that reports both.
launcher="$root/usr/games/tessel"
if [ -f "$launcher" ] && [ -x "$launcher" ]; then
    grep -qxF "cd /usr/share/games/tessel || exit 1" "$launcher" || fail "the launcher does not change into the data folder"
    grep -qxF 'exec /usr/libexec/tessel/tessel "$@"' "$launcher" || fail "the launcher does not exec the binary"
    mkdir -p "$WORK_DIR/stand-in/data"
    printf '#!/bin/sh\npwd\nexit 7\n' >"$WORK_DIR/stand-in/game"
    chmod +x "$WORK_DIR/stand-in/game"
    sed -e "s|/usr/share/games/tessel|$WORK_DIR/stand-in/data|" \
        -e "s|/usr/libexec/tessel/tessel|$WORK_DIR/stand-in/game|" "$launcher" >"$WORK_DIR/stand-in/launcher"
    output=$(cd / && sh "$WORK_DIR/stand-in/launcher")
    rc=$?
    [ "$output" = "$WORK_DIR/stand-in/data" ] || fail "the launcher started the game in '$output'"
    [ "$rc" -eq 7 ] || fail "the launcher returned $rc for the game's exit code 7"
else
    fail "no executable launcher usr/games/tessel"
fi

# ---- Every asset: the same bytes in the data folder, but the settings (a conffile in /etc,
# linked from the data folder), the font (a link into fonts-crosextra-carlito) and its licence
# (in the copyright file). Nothing else in the data folder.
expected=$(cd "$SOURCE_DIR" && find assets -type f ! -name 'LICENSE-*' | sort)
shipped=$(cd "$data" 2>/dev/null && find assets \( -type f -o -type l \) | sort)
[ "$expected" = "$shipped" ] || fail "the data folder differs from assets/: $(diff <(echo "$expected") <(echo "$shipped") | grep '^[<>]' | tr '\n' ' ')"
while read -r asset; do
    case $asset in
        assets/settings.ini | assets/fonts/calibri.ttf) ;;
        *) [ ! -e "$data/$asset" ] || cmp -s "$SOURCE_DIR/$asset" "$data/$asset" ||
            fail "$asset differs from the source" ;;
    esac
done <<<"$expected"

cmp -s "$SOURCE_DIR/assets/settings.ini" "$root/etc/tessel/settings.ini" || fail "etc/tessel/settings.ini differs from assets/settings.ini"
[ "$(link_target usr/share/games/tessel/assets/settings.ini)" = /etc/tessel/settings.ini ] ||
    fail "assets/settings.ini does not link to /etc/tessel/settings.ini"
dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles | grep -qxF /etc/tessel/settings.ini ||
    fail "/etc/tessel/settings.ini is not a conffile"

font=/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf
[ "$(link_target usr/share/games/tessel/assets/fonts/calibri.ttf)" = "$font" ] ||
    fail "assets/fonts/calibri.ttf does not link to $font"
cmp -s "$SOURCE_DIR/assets/fonts/calibri.ttf" "$font" || fail "$font is not the game's font"

# ---- Desktop entry and icons.
desktop="$root/usr/share/applications/tessel.desktop"
if [ -f "$desktop" ]; then
    report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
    [ -z "$report" ] || fail "desktop-file-validate: $report"
    grep -qxF "Categories=Game;ArcadeGame;" "$desktop" || fail "the desktop entry is not in Game;ArcadeGame;"
    exec_path=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$root$exec_path" ] || fail "the desktop entry starts '$exec_path', which the package lacks"
    grep -qxF "Icon=tessel" "$desktop" || fail "the desktop entry's icon is not 'tessel'"
else
    fail "no usr/share/applications/tessel.desktop"
fi

# ---- AppStream: the metainfo that software centres list, valid without an error or a warning
# (an info, such as an unknown top-level domain in the id, is allowed), naming the desktop entry.
metainfo="$root/usr/share/metainfo/example.c_seed_a80d1e39.tessel.metainfo.xml"
if [ -f "$metainfo" ]; then
    report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $report"
    grep -Eq '^(E|W):' <<<"$report" && fail "appstreamcli validate: $report"
    grep -qF '<launchable type="desktop-id">tessel.desktop</launchable>' "$metainfo" ||
        fail "the metainfo does not launch tessel.desktop"
    grep -qF '<content_rating type="oars-1.1"' "$metainfo" || fail "the metainfo has no OARS rating"
else
    fail "no usr/share/metainfo/example.c_seed_a80d1e39.tessel.metainfo.xml"
fi

# The width and height of a PNG file, from its header.
png_size() {
    [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || return 1
    local width height
    width=$(od -An -tu4 --endian=big -j 16 -N 4 "$1" | tr -d ' ')
    height=$(od -An -tu4 --endian=big -j 20 -N 4 "$1" | tr -d ' ')
    echo "${width}x$height"
}
for size in 256x256 128x128 64x64 48x48 32x32; do
    icon="$root/usr/share/icons/hicolor/$size/apps/tessel.png"
    [ "$(png_size "$icon" 2>/dev/null)" = "$size" ] || fail "no $size PNG icon at usr/share/icons/hicolor/$size/apps/tessel.png"
done

# ---- Man page: renders without a warning, with the controls, the settings and the exit codes.
manpage="$root/usr/share/man/man6/tessel.6.gz"
if [ -f "$manpage" ]; then
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manpage" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man reports: $warnings"
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$manpage" 2>/dev/null)
    for heading in CONTROLS FILES "EXIT STATUS"; do
        grep -qx "$heading" <<<"$text" || fail "the man page has no $heading section"
    done
    for phrase in Escape F11 /etc/tessel/settings.ini "~/.config/tessel/settings.ini" XDG_CONFIG_HOME \
        "[keys]" fullscreen volume; do
        grep -qF -- "$phrase" <<<"$text" || fail "the man page does not mention $phrase"
    done
else
    fail "no usr/share/man/man6/tessel.6.gz"
fi

# ---- Copyright: machine-readable, with the font under the SIL Open Font License.
copyright="$root/usr/share/doc/tessel/copyright"
if [ -f "$copyright" ]; then
    head -n 1 "$copyright" | grep -qxF "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ||
        fail "the copyright file is not in the machine-readable format"
    awk '/^Files: assets\/fonts\/\*/ { files = 1 } files && /^License: OFL-1.1$/ { found = 1 } /^$/ { files = 0 }
         END { exit !found }' "$copyright" || fail "the copyright file does not put the font under OFL-1.1"
    grep -qxF " SIL OPEN FONT LICENSE Version 1.1 - 26 February 2007" "$copyright" ||
        fail "the copyright file lacks the licence text"
else
    fail "no usr/share/doc/tessel/copyright"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo PASS
