#!/bin/sh
# make-zip.sh BUILD_DIR QT_KIT: packs the Windows build into BUILD_DIR/Quillmere-1.00-win64.zip,
# one folder that runs on Windows with nothing else installed: the two programs and the pointer
# file as the build installs them, the Qt DLLs and plugins they load, the MinGW run-time DLLs,
# the README and the licences. Every DLL that a program or plugin in the folder imports is either
# in the folder or one of Windows' own, or the packing fails. The folder stays in
# BUILD_DIR/package/, where make-msi.sh takes it from.
set -eu

[ $# -eq 2 ] || { echo "usage: make-zip.sh BUILD_DIR QT_KIT" >&2; exit 2; }
build=$(cd "$1" && pwd)
kit=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=Quillmere-$version-win64
stage=$build/package
folder=$stage/$name
compiler=x86_64-w64-mingw32-g++-posix
objdump=x86_64-w64-mingw32-objdump

rm -rf "$stage"
mkdir -p "$stage"
cmake --install "$build" --prefix "$stage/install" >/dev/null
mv "$stage/install/bin" "$folder"
rm -rf "$stage/install"

# The plugins the programs load: the window system's, the style, and the image formats of the
# window's pictures (JPEG buttons, the icon). Qt looks for them in folders beside the program.
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qjpeg.dll imageformats/qico.dll; do
    mkdir -p "$folder/$(dirname "$plugin")"
    cp "$kit/plugins/$plugin" "$folder/$plugin"
done

# The DLLs they import, and theirs in turn, from the kit or the compiler.
find_dll() {
    for dir in "$kit/bin" "$(dirname "$($compiler -print-file-name=libstdc++-6.dll)")" \
        "$(dirname "$($compiler -print-file-name=libwinpthread-1.dll)")"; do
        if [ -f "$dir/$1" ]; then
            echo "$dir/$1"
            return
        fi
    done
}
imports() { "$objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
queue=$(find "$folder" -name '*.exe' -o -name '*.dll')
while [ -n "$queue" ]; do
    next=
    for file in $queue; do
        for dll in $(imports "$file"); do
            [ -f "$folder/$dll" ] && continue
            found=$(find_dll "$dll")
            if [ -n "$found" ]; then
                cp "$found" "$folder/$dll"
                next="$next $folder/$dll"
            elif ! grep -qix "$dll" "$here/system-dlls.txt"; then
                echo "make-zip: $(basename "$file") needs $dll, which is neither Windows' own nor to be found" >&2
                exit 1
            fi
        done
    done
    queue=$next
done

# Without symbols and debugging information, which are most of the MinGW and Qt DLLs' size.
find "$folder" -name '*.exe' -o -name '*.dll' | while IFS= read -r file; do
    x86_64-w64-mingw32-strip --strip-all "$file"
done

cp "$here/README-windows.txt" "$folder/README.txt"
cp "$here/../../LICENSE" "$folder/LICENSE.txt"
mkdir -p "$folder/LICENSES/qt-build"
cp "$kit/LICENSES/LGPL-3.0-only.txt" "$kit/LICENSES/GPL-3.0-only.txt" "$folder/LICENSES/"
# What the Qt DLLs were built with besides Debian's source, for whoever rebuilds them.
cp "$here/build-qt-kit.sh" "$here/toolchain-mingw64.cmake" "$here/wintab-shim.h" \
    "$here/qt6.4.2-windows-plugin-without-gl-d2d.patch" "$folder/LICENSES/qt-build/"

rm -f "$build/$name.zip"
(cd "$stage" && TZ=UTC zip -q -r -X "$build/$name.zip" "$name")
echo "make-zip: $build/$name.zip ($(wc -c <"$build/$name.zip") bytes)"
(cd "$stage" && find "$name" -type f | sort)
