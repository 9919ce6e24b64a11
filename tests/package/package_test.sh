#!/bin/sh
# Builds the Debian package and checks it as Debian and a user would meet it: lintian,
# the AppStream metainfo, the desktop entry, the manual pages, and the program run
# from the package's files, unpacked read-only, by an ordinary user and by root.
#     package_test.sh BUILD_DIR
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d /tmp/mirvane-package.XXXXXX)
cleanup() {
    chmod -R u+w "$tmp" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$tmp/cpack.log")"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$tmp/out/mirvane_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb: $(ls "$tmp/out")"
echo "package: $(basename "$deb")"

# Errors fail; warnings are printed for the log.
lint=0
lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 || lint=$?
grep -v "root privileges" "$tmp/lintian.log" || true
[ "$lint" -eq 0 ] || fail "lintian found errors"

root=$tmp/root
dpkg-deb -x "$deb" "$root"
for f in usr/lib/mirvane/mirvane usr/lib/mirvane/libbsmtp.so usr/lib/mirvane/emoji.exe \
    usr/lib/mirvane/bsendmail usr/lib/mirvane/mirvane.hlp usr/bin/mirvane \
    usr/share/applications/mirvane.desktop usr/share/metainfo/org.example.mirvane.metainfo.xml \
    usr/share/man/man1/mirvane.1.gz usr/share/man/man1/bsendmail.1.gz \
    usr/share/icons/hicolor/48x48/apps/mirvane.png usr/share/doc/mirvane/copyright; do
    [ -e "$root/$f" ] || fail "the package has no /$f"
done
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "no dependencies from dpkg-shlibdeps"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.mirvane.metainfo.xml" ||
    fail "appstreamcli refused the metainfo"
desktop-file-validate "$root/usr/share/applications/mirvane.desktop" ||
    fail "desktop-file-validate refused the entry"
grep -qx "Exec=/usr/bin/mirvane" "$root/usr/share/applications/mirvane.desktop" ||
    fail "the entry does not start /usr/bin/mirvane"
for page in mirvane bsendmail; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done

# The package's files as installed: owned by root, written by nobody.
chmod 755 "$tmp"
chmod -R a-w "$root"
ls -A "$root/usr/lib/mirvane" >"$tmp/before"
"$here/../support/run_under_openbox.sh" /bin/sh "$here/package_walk.sh" "$root" "$tmp"
ls -A "$root/usr/lib/mirvane" >"$tmp/after"
diff "$tmp/before" "$tmp/after" || fail "files were left in the program directory"
echo "package checked"
