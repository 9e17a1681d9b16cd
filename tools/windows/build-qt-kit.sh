#!/bin/sh
# build-qt-kit.sh WORK_DIR: builds the Qt kit that the Windows build of Quillmere uses, from
# Debian 12's own qt6-base source, and leaves it in WORK_DIR as qt6.4.2-mingw64-x86_64.tar.gz
# (it unpacks to qt6.4.2-mingw64/) with its SHA256SUMS. About 16 minutes on two cores.
#
# The kit: Qt Core, Gui, Widgets and Test 6.4.2 as DLLs for x86_64-w64-mingw32 (posix threads),
# with their import libraries, headers and CMake packages; the windows, offscreen and minimal
# platform plugins; the jpeg, ico and gif image plugins; the Windows style; Qt's LICENSES/. It
# takes its tools (moc, rcc, uic) from the host's Qt of the same version, /usr/lib/qt6.
#
# The sources come through apt with a configuration of the script's own in WORK_DIR: the
# machine's apt sources, lists and caches are not touched. Settings: QUILLMERE_KIT_JOBS (the
# number of processors), QUILLMERE_DEBIAN_MIRROR (http://deb.debian.org/debian).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || { echo "usage: build-qt-kit.sh WORK_DIR" >&2; exit 2; }
mkdir -p "$1"
work=$(cd "$1" && pwd)
jobs=${QUILLMERE_KIT_JOBS:-$(nproc 2>/dev/null || echo 2)}
mirror=${QUILLMERE_DEBIAN_MIRROR:-http://deb.debian.org/debian}

qt_version=6.4.2
qt_source_version=6.4.2+dfsg-10
wine_version=8.0~repack-4
kit=qt$qt_version-mingw64
tarball=$kit-x86_64.tar.gz
source_dir=$work/qtbase-everywhere-src-$qt_version
build_dir=$work/qtbase-build
install_root=$work/install
# What the kit records instead of this machine's folders, so that it is the same wherever it
# was built.
neutral_source=/usr/src/qtbase-everywhere-src-$qt_version
neutral_prefix=/opt/$kit

say() { echo "build-qt-kit: $*"; }

# apt on a sources list of its own: one deb line (for Wine's headers) and one deb-src line.
apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$apt_dir/sources.list" <<EOF
deb [signed-by=$keyring] $mirror bookworm main
deb-src [signed-by=$keyring] $mirror bookworm main
EOF
private_apt() {
    apt-get -q \
        -o Dir::Etc::SourceList="$apt_dir/sources.list" \
        -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" \
        -o Dir::State::Lists="$apt_dir/lists" \
        -o Dir::Cache="$apt_dir/cache" \
        -o APT::Sandbox::User="$(id -un)" \
        "$@"
}

downloads=$work/downloads
mkdir -p "$downloads"
if [ ! -d "$source_dir" ]; then
    say "fetching qt6-base $qt_source_version and libwine-dev $wine_version"
    private_apt update
    (cd "$downloads" && private_apt source --download-only "qt6-base=$qt_source_version" \
        && private_apt download "libwine-dev=$wine_version")
    rm -rf "$source_dir.partial"
    dpkg-source -x "$downloads/qt6-base_$qt_source_version.dsc" "$source_dir.partial"

    # The DFSG source lacks src/3rdparty/wintab/, which the Windows platform plugin includes:
    # Wine's LGPL headers fill it, wintab.h through a shim that defines the Wine-only macros.
    rm -rf "$work/wine"
    dpkg-deb -x "$downloads"/libwine-dev_*.deb "$work/wine"
    wintab=$source_dir.partial/src/3rdparty/wintab
    mkdir -p "$wintab"
    cp "$(find "$work/wine" -name wintab.h | head -n 1)" "$wintab/wine_wintab.h"
    cp "$(find "$work/wine" -name pktdef.h | head -n 1)" "$wintab/pktdef.h"
    cp "$here/wintab-shim.h" "$wintab/wintab.h"

    # Qt 6.4's Windows plugin does not build with OpenGL and Direct2D turned off.
    patch -d "$source_dir.partial" -p1 <"$here/qt$qt_version-windows-plugin-without-gl-d2d.patch"
    mv "$source_dir.partial" "$source_dir"
fi

# The Debian changelog's date stands for every file's time, so that the tarball does not depend
# on when it was made.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -STimestamp)
export SOURCE_DATE_EPOCH

say "configuring ($jobs jobs)"
prefix_map="-ffile-prefix-map=$source_dir=$neutral_source -ffile-prefix-map=$build_dir=$neutral_source/build"
cmake -G Ninja -S "$source_dir" -B "$build_dir" \
    -DCMAKE_TOOLCHAIN_FILE="$here/toolchain-mingw64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$install_root/$kit" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DCMAKE_C_FLAGS="$prefix_map" -DCMAKE_CXX_FLAGS="$prefix_map" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_zstd=OFF -DFEATURE_direct2d=OFF -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF \
    >"$work/configure.log"

say "building"
ninja -C "$build_dir" -j "$jobs" >"$work/build.log"
rm -rf "$install_root"
cmake --install "$build_dir" >"$work/install.log"

# Relocatable: the kit finds its toolchain file beside it, and names none of this machine's folders.
kit_dir=$install_root/$kit
cp "$here/toolchain-mingw64.cmake" "$kit_dir/toolchain-mingw64.cmake"
cp -R "$source_dir/LICENSES" "$kit_dir/LICENSES"
# qmake and qtpaths find the host's Qt tools in /usr, wherever the kit lies.
sed -i 's|^HostPrefix=.*|HostPrefix=/usr|' "$kit_dir/bin/target_qt.conf"
sed -i 's|^set(__qt_initially_configured_toolchain_file .*|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../toolchain-mingw64.cmake")|' \
    "$kit_dir/lib/cmake/Qt6/qt.toolchain.cmake"
grep -rIl -e "$kit_dir" -e "$source_dir" -e "$build_dir" -e "$here" "$kit_dir" | while IFS= read -r file; do
    sed -i -e "s|$kit_dir|$neutral_prefix|g" -e "s|$build_dir|$neutral_source/build|g" \
        -e "s|$source_dir|$neutral_source|g" -e "s|$here|$neutral_prefix|g" "$file"
done
if grep -rIl -e "$work" "$kit_dir" >"$work/leftover-paths.txt"; then
    say "these files still name the work folder:" >&2
    cat "$work/leftover-paths.txt" >&2
    exit 1
fi

say "packing"
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
    -C "$install_root" -cf - "$kit" | gzip -9n >"$work/$tarball.partial"
mv "$work/$tarball.partial" "$work/$tarball"
(cd "$work" && sha256sum "$tarball" >SHA256SUMS)
say "done: $work/$tarball"
