#!/bin/sh
# Runs the program unpacked from the package under ROOT on the current display: as
# uid 65534 with a home of its own (first start, a change in the settings dialog, an
# address registered, quit), then as root (start, quit). Checks that each user's
# files are in that user's XDG folders.
#     package_walk.sh ROOT SCRATCH
set -eu
root=$1
scratch=$2
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The visible window whose title is exactly $1.
window() {
    xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}
# Waits until the window titled $1 has the keyboard.
focused() {
    id=$(window "$1")
    i=0
    until [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ]; do
        i=$((i + 1))
        [ $i -lt 100 ] || fail "the window $1 did not get the keyboard"
        xdotool windowactivate "$id" 2>/dev/null || true
        sleep 0.1
    done
}
gone() {
    i=0
    while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
        i=$((i + 1))
        [ $i -lt 100 ] || fail "the window $1 did not close"
        sleep 0.1
    done
}
# Starts the program as the user given by the setpriv arguments, with HOME=$1.
start() {
    home=$1
    shift
    setpriv "$@" env -i DISPLAY="$DISPLAY" HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        QT_QPA_PLATFORM=xcb "$root/usr/bin/mirvane" >"$home/out.txt" 2>&1 &
    pid=$!
    focused Mirvane
}
quit() {
    xdotool key --clearmodifiers alt+F4
    i=0
    while kill -0 "$pid" 2>/dev/null; do
        i=$((i + 1))
        [ $i -lt 100 ] || fail "the program did not end: $(cat "$1/out.txt")"
        sleep 0.1
    done
    wait "$pid" || true
    pid=
}
mode() {
    stat -c %a "$1"
}

# An ordinary user.
user=$scratch/nobody
mkdir -p "$user"
chown 65534:65534 "$user"
start "$user" --reuid=65534 --regid=65534 --clear-groups
# The settings dialog from the Tools menu: the beep off on the first page, the
# SMTP server on the second.
xdotool key --clearmodifiers alt+t
xdotool key s
focused 設定
xdotool key --clearmodifiers alt+b
xdotool key --clearmodifiers ctrl+Tab
xdotool key --clearmodifiers alt+s
xdotool type --delay 20 smtp.example.jp
xdotool key --clearmodifiers alt+o
gone 設定
# A new address from the Tools menu; registering shows the address book.
focused Mirvane
xdotool key --clearmodifiers alt+t
xdotool key n
focused 新規アドレス作成
xdotool type --delay 20 Sato
xdotool key Tab
xdotool type --delay 20 sato
xdotool key Tab
xdotool type --delay 20 sato@example.jp
xdotool key Return
focused アドレス帳
xdotool key --clearmodifiers alt+c
gone アドレス帳
focused Mirvane
quit "$user"

config=$user/.config/mirvane
data=$user/.local/share/mirvane
[ -f "$config/mirvane.ini" ] || fail "no $config/mirvane.ini: $(cat "$user/out.txt")"
grep -q "^SMTP=smtp.example.jp" "$config/mirvane.ini" || fail "the SMTP server was not stored"
grep -q "^Beep=0" "$config/mirvane.ini" || fail "the beep setting was not stored"
grep -q "^Top1=" "$config/mirvane.ini" || fail "the main window's place was not stored"
# "Sato" scrambled with 0x0B.
printf 'Name0=Xj\177d\r\n' >"$scratch/name"
grep -qF "$(cat "$scratch/name")" "$data/address.ini" || fail "the address was not stored"
for d in "$config" "$data"; do
    [ "$(mode "$d")" = 700 ] || fail "$d is $(mode "$d"), not 700"
    [ "$(stat -c %u "$d")" = 65534 ] || fail "$d is not the user's"
done
echo "ordinary user: files in $config and $data"

# Root: the program directory could be written, but is a system install's.
admin=$scratch/admin
mkdir -p "$admin"
start "$admin"
quit "$admin"
[ -f "$admin/.config/mirvane/mirvane.ini" ] || fail "root's settings are not in its own folder"
echo "root: files in $admin/.config/mirvane"
