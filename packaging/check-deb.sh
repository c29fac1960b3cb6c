#!/bin/sh
# Checks the Debian package that `make package` made, as CI does:
#   - lintian finds no error in it;
#   - it installs with dpkg -i, on a system where quarvenix is not installed
#     (an installation found there is left alone: the check refuses), with the
#     user guides and their pictures that the manual page points to;
#   - the installed program, started offscreen by an unprivileged user with a
#     fresh HOME, makes its database in that user's data folder, says so and
#     shows its sign-in window;
#   - the package purges, leaving none of its files.
# The windows are seen through Qt's accessibility log, which names each
# window as it is shown.
#   sh packaging/check-deb.sh PACKAGE.deb
set -eu
deb=$1
fail() { echo "package check: $*" >&2; exit 1; }
installed() { dpkg-query -W -f='${Status}' quarvenix 2>/dev/null | grep -q 'ok installed'; }

echo "== lintian $deb"
lintian --fail-on error --display-level '>=warning' "$deb" || fail "lintian reports errors"

installed && fail "quarvenix is installed on this system already; this check installs and purges the package, so it leaves that installation alone"
echo "== dpkg -i $deb"
work=$(mktemp -d)
program=
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    dpkg --purge quarvenix >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
if ! dpkg -i "$deb"; then
    # Dependencies this machine lacks come from the archive, as apt would bring them.
    DEBIAN_FRONTEND=noninteractive apt-get install -f -y -qq >/dev/null
fi
installed || fail "the package did not install"
guide=/usr/share/doc/quarvenix
for f in user-guide.ja.md user-guide.md main-window.png; do
    [ -s "$guide/$f" ] || fail "the package did not install $guide/$f"
done
grep -q '(main-window.png)' "$guide/user-guide.ja.md" ||
    fail "$guide/user-guide.ja.md does not show the main window's picture"

echo "== the installed program, as nobody with a fresh HOME"
home=$work/home
mkdir -p "$home"
chmod 0755 "$work"
chown nobody: "$home"
log=$work/quarvenix.log
setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    QT_LOGGING_RULES='qt.accessibility.cache.debug=true' \
    /usr/bin/quarvenix >"$log" 2>&1 &
program=$!
shown() { grep -q "obj=Frm_Login(" "$log" && grep -q "新しいデータベースを作成しました" "$log"; }
i=0
until shown; do
    kill -0 "$program" 2>/dev/null || { cat "$log" >&2; fail "the program ended before its sign-in window showed"; }
    i=$((i + 1))
    [ $i -le 300 ] || { cat "$log" >&2; fail "no sign-in window within 30 seconds"; }
    sleep 0.1
done
db=$home/.local/share/quarvenix/QuarvenixDB.db
[ "$(stat -c %U "$db" 2>/dev/null)" = nobody ] || fail "no database of the user's own in $db"
[ "$(stat -c %a "$db" "${db%/*}" "$db.lock" | tr '\n' ' ')" = "600 700 600 " ] ||
    fail "the data folder or its files are not the user's alone: $(stat -c '%a %n' "$db" "${db%/*}" "$db.lock")"
echo "sign-in window shown; the first start made $db"
kill "$program"
wait "$program" 2>/dev/null || true
program=

echo "== dpkg --purge quarvenix"
files=$(dpkg -L quarvenix | while read -r f; do [ -f "$f" ] && echo "$f"; done)
dpkg --purge quarvenix >/dev/null
for f in $files; do
    [ ! -e "$f" ] || fail "$f is left after the purge"
done
installed && fail "quarvenix is still installed after the purge"
echo "package check passed"
