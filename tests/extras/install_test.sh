#!/bin/sh
# Installs the build into a temporary prefix as a user would, checks the desktop
# entry and the icon, and starts the installed program through its launcher.
#     install_test.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d /tmp/mirvane-install.XXXXXX)
pid=
made=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    for f in $made; do rm -f "$build/bin/$f"; done
    rm -rf "$prefix"
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

# The launcher starts the installed program, which keeps running until it is ended.
QT_QPA_PLATFORM=offscreen "$prefix/bin/mirvane" >"$prefix/out.txt" 2>&1 &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the program ended at once: $(cat "$prefix/out.txt")"
[ "$(readlink -f "/proc/$pid/exe")" = "$(readlink -f "$programdir/mirvane")" ] ||
    fail "the launcher started $(readlink -f "/proc/$pid/exe")"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "installed and started from $prefix"
