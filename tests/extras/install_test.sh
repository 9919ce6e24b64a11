#!/bin/sh
# Installs the build into a temporary prefix as a user would, checks the desktop
# entry and the icon, and starts the installed program through its launcher. Then
# an ordinary user (uid 65534) installs the same build into a prefix of their own
# and removes it again with the list of installed files.
#     install_test.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d /tmp/mirvane-install.XXXXXX)
user=$(mktemp -d /tmp/mirvane-user.XXXXXX)
lists=$(mktemp -d /tmp/mirvane-lists.XXXXXX)
pid=
made=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    for f in $made; do rm -f "$build/bin/$f"; done
    rm -rf "$prefix" "$user" "$lists"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Files left by a run in the build's program directory must not be installed.
# A developer's own files there are left alone.
for f in mirvane.ini address.ini log.txt; do
    if [ ! -e "$build/bin/$f" ]; then
        : >"$build/bin/$f"
        made="$made $f"
    fi
done
cmake --install "$build" --prefix "$prefix" >/dev/null

programdir=$prefix/lib/mirvane
entry=$prefix/share/applications/mirvane.desktop
for f in "$programdir/mirvane" "$programdir/emoji.exe"; do
    [ -x "$f" ] || fail "$f is not an installed program"
done
[ -f "$programdir/mirvane.hlp" ] || fail "no help file beside the program"
for f in mirvane.ini address.ini log.txt; do
    [ ! -e "$programdir/$f" ] || fail "$f from the build was installed"
done
[ -L "$prefix/bin/mirvane" ] || fail "no launcher in $prefix/bin"
[ "$(readlink -f "$prefix/bin/mirvane")" = "$(readlink -f "$programdir/mirvane")" ] ||
    fail "the launcher does not lead to the program"
for size in 16 32 48 64 128 256; do
    [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/mirvane.png" ] ||
        fail "no ${size}x${size} icon"
done

desktop-file-validate "$entry" || fail "desktop-file-validate refused $entry"
grep -qx "Exec=$prefix/bin/mirvane" "$entry" || fail "the entry does not start the launcher"
grep -qx "Icon=mirvane" "$entry" || fail "the entry has not the icon"
grep -qx "Categories=Network;Email;" "$entry" || fail "categories"
grep -q "^Name\[ja\]=" "$entry" || fail "no Japanese name"

# The installed program takes nothing from the build tree.
if ldd "$programdir/mirvane" | grep -q "not found"; then
    fail "libraries missing: $(ldd "$programdir/mirvane" | grep 'not found')"
fi
if ldd "$programdir/mirvane" | grep -q "$build"; then
    fail "the installed program uses libraries of the build tree"
fi

# Every installed file is listed, in the build folder and in the install.
listed() {
    find "$1" -type f -o -type l | sort >"$lists/found"
    sort "$2" | diff "$lists/found" - || fail "$2 does not list every installed file"
}
listed "$prefix" "$build/install_manifest.txt"
listed "$prefix" "$programdir/install_manifest.txt"
# An install made by root is a system install: each user's files go elsewhere.
[ -f "$programdir/system-install" ] || fail "root's install has no system-install marker"

# The launcher starts the installed program, which keeps running until it is ended.
mkdir "$prefix/home"
HOME=$prefix/home QT_QPA_PLATFORM=offscreen "$prefix/bin/mirvane" >"$prefix/out.txt" 2>&1 &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the program ended at once: $(cat "$prefix/out.txt")"
[ "$(readlink -f "/proc/$pid/exe")" = "$(readlink -f "$programdir/mirvane")" ] ||
    fail "the launcher started $(readlink -f "/proc/$pid/exe")"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "installed and started from $prefix"

# An ordinary user installs root's build into a prefix of their own: no error, though
# the build folder is not theirs, every file listed, and no marker (the files stay
# beside the program).
chown 65534:65534 "$user"
as_user() {
    setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$user" "$@"
}
as_user cmake --install "$build" --prefix "$user/.local" >"$user/install.log" 2>&1 ||
    fail "an ordinary user's install failed: $(cat "$user/install.log")"
own=$user/.local/lib/mirvane
[ ! -e "$own/system-install" ] || fail "an ordinary user's install is marked as a system install"
listed "$user/.local" "$own/install_manifest.txt"
# Removing with the list leaves only folders.
as_user sh -c 'xargs -d "\n" rm -f <"$1"' - "$own/install_manifest.txt"
left=$(find "$user/.local" ! -type d)
[ -z "$left" ] || fail "left after removal: $left"
echo "installed and removed by an ordinary user in $user/.local"
