#!/bin/sh
# qt-kit.sh KIT_DIR [SHARED_DIR]: makes sure that KIT_DIR/qt6.4.2-mingw64 holds the Qt kit for
# Windows that the Windows build uses.
#
# A tarball of the kit in SHARED_DIR (a cache that several checkouts share) is used when its
# SHA256 is the one recorded in qt-kit.sha256; otherwise the kit is built from Debian's source by
# build-qt-kit.sh in KIT_DIR/source (about 16 minutes on two cores). Either way the kit is
# unpacked once, and a stamp in it says which tarball it came from.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: qt-kit.sh KIT_DIR [SHARED_DIR]" >&2; exit 2; }
mkdir -p "$1"
kit_dir=$(cd "$1" && pwd)
shared=${2:-}
kit=qt6.4.2-mingw64
tarball=$kit-x86_64.tar.gz
stamp=$kit_dir/$kit/.quillmere-kit
expected=$(cut -d' ' -f1 "$here/qt-kit.sha256")

say() { echo "qt-kit: $*"; }

[ -f "$stamp" ] && exit 0

source_tarball=
if [ -n "$shared" ] && [ -f "$shared/$tarball" ]; then
    actual=$(sha256sum "$shared/$tarball" | cut -d' ' -f1)
    if [ "$actual" = "$expected" ]; then
        source_tarball=$shared/$tarball
        origin="$source_tarball (SHA256 $actual)"
    else
        say "$shared/$tarball has SHA256 $actual, not $expected: building the kit instead"
    fi
fi
if [ -z "$source_tarball" ]; then
    say "building the Qt kit from Debian's source in $kit_dir/source (this takes a while)"
    "$here/build-qt-kit.sh" "$kit_dir/source"
    source_tarball=$kit_dir/source/$tarball
    origin="built from source, SHA256 $(cut -d' ' -f1 "$kit_dir/source/SHA256SUMS")"
fi

rm -rf "$kit_dir/$kit" "$kit_dir/unpacking"
mkdir "$kit_dir/unpacking"
tar -xzf "$source_tarball" -C "$kit_dir/unpacking"
mv "$kit_dir/unpacking/$kit" "$kit_dir/$kit"
rmdir "$kit_dir/unpacking"
echo "$origin" >"$stamp"
say "Qt kit in $kit_dir/$kit, $origin"
