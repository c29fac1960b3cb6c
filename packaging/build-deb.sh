#!/bin/sh
# Makes the Debian package of Quarvenix from an existing build folder, without
# compiling anything: what `cmake --install --strip` puts under /usr, plus the
# changelog and the copyright file. Prints the package's path.
#   sh packaging/build-deb.sh [BUILD]
set -eu
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "make package: $*" >&2; exit 1; }

cache=$build/CMakeCache.txt
[ -f "$cache" ] && [ -x "$build/bin/quarvenix" ] && [ -x "$build/bin/quarvenix-initdb" ] ||
    fail "no build in $build: run make build first"
setting() { sed -n "s/^$1:[A-Z]*=//p" "$cache"; }
[ "$(setting CMAKE_INSTALL_PREFIX)" = /usr ] ||
    fail "$build is configured for $(setting CMAKE_INSTALL_PREFIX), a package for /usr (make build PREFIX=/usr)"
[ "$(setting QUARVENIX_TEST)" != ON ] || fail "$build is a test build (pre-filled sign-in); package a delivered build"
# The package holds what was built and tested: a program older than a file it
# is built from (the sources and headers ninja records for it) is refused.
for program in quarvenix quarvenix-initdb; do
    newer=$(cd "$build" && {
        ninja -t inputs "$program"
        ninja -t inputs "$program" | grep '\.o$' | xargs -r ninja -t deps | sed -n 's/^    //p'
    } | grep -v '^/usr/' | sort -u | while read -r f; do
        if [ "$f" -nt "bin/$program" ]; then
            echo "$f"
            break
        fi
    done)
    [ -z "$newer" ] || fail "$build/bin/$program is older than $newer: run make build first"
done
version=$(dpkg-parsechangelog -l "$here/debian/changelog" -S Version)
[ "$version" = "$(setting CMAKE_PROJECT_VERSION)" ] ||
    fail "packaging/debian/changelog is at $version, the project at $(setting CMAKE_PROJECT_VERSION)"
arch=$(dpkg --print-architecture)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/debian"
cp "$here/debian/control" "$here/debian/changelog" "$work/debian/"
root=$work/debian/quarvenix
DESTDIR=$root cmake --install "$build" --strip >/dev/null
strip --remove-section=.comment --remove-section=.note "$root"/usr/bin/*
mkdir -p "$root/usr/share/lintian/overrides"
cp "$here/debian/lintian-overrides" "$root/usr/share/lintian/overrides/quarvenix"

doc=$root/usr/share/doc/quarvenix
mkdir -p "$doc"
gzip -9n <"$here/debian/changelog" >"$doc/changelog.gz"
cp "$here/debian/copyright" "$doc/copyright"
gzip -9n "$root"/usr/share/man/man1/*.1

find "$root" -type d -exec chmod 0755 {} +
find "$root" -type f -exec chmod 0644 {} +
chmod 0755 "$root"/usr/bin/*

(
    cd "$work"
    mkdir -p debian/quarvenix/DEBIAN
    dpkg-shlibdeps -Tdebian/substvars debian/quarvenix/usr/bin/*
    dpkg-gencontrol -pquarvenix -Pdebian/quarvenix -fdebian/files -Tdebian/substvars
    cd debian/quarvenix
    find usr -type f -exec md5sum {} + | sort -k 2 >DEBIAN/md5sums
    chmod 0644 DEBIAN/md5sums
)
deb=$build/quarvenix_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
