#!/bin/sh
# make-msi.sh BUILD_DIR [MSI [VERSION]]: builds the Windows Installer package of the folder that
# make-zip.sh left in BUILD_DIR/package/, by default as BUILD_DIR/Quillmere-VERSION-win64.msi,
# with wixl. quillmere.wxs says what the package does; the files of the folder other than
# quillmere.exe, which quillmere.wxs names itself, are listed here in BUILD_DIR/package/files.wxs.
# VERSION (the build's own by default) is for checking that a later version replaces this one.
set -eu

[ $# -ge 1 ] && [ $# -le 3 ] || { echo "usage: make-msi.sh BUILD_DIR [MSI [VERSION]]" >&2; exit 2; }
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
build_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
version=${3:-$build_version}
msi=${2:-$build/Quillmere-$version-win64.msi}
stage=$build/package
# wixl takes files by paths relative to where it runs: it runs in the stage folder.
packed=Quillmere-$build_version-win64
folder=$stage/$packed
[ -f "$folder/quillmere.exe" ] || { echo "make-msi: no packed folder in $stage: run make-zip.sh first" >&2; exit 1; }

# Windows Installer identifiers hold letters, digits, underscores and periods only.
identifier() { printf '%s' "$1" | tr -c 'A-Za-z0-9_.' '_'; }

# A folder's files, each a component of its own whose key path is the file, then its folders.
# In a subshell of its own, so that the recursion keeps each level's variables.
list_folder() (
    relative=$1
    indent=$2
    for path in "$folder${relative:+/$relative}"/*; do
        name=${path##*/}
        case $name in *[\&\<\>\"]*) echo "make-msi: $name cannot be named in the package" >&2; exit 1 ;; esac
        file=${relative:+$relative/}$name
        if [ -f "$path" ] && [ "$file" != quillmere.exe ]; then
            id=$(identifier "$file")
            echo "$indent<Component Id=\"c.$id\" Guid=\"*\" Win64=\"yes\">"
            echo "$indent  <File Id=\"f.$id\" Name=\"$name\" Source=\"$packed/$file\" KeyPath=\"yes\"/>"
            echo "$indent</Component>"
            echo "c.$id" >>"$stage/components.txt"
        fi
    done
    for path in "$folder${relative:+/$relative}"/*; do
        [ -d "$path" ] || continue
        name=${path##*/}
        file=${relative:+$relative/}$name
        echo "$indent<Directory Id=\"d.$(identifier "$file")\" Name=\"$name\">"
        list_folder "$file" "$indent  "
        echo "$indent</Directory>"
    done
)

: >"$stage/components.txt"
{
    echo '<?xml version="1.0" encoding="utf-8"?>'
    echo '<!-- Made by make-msi.sh from the packed folder. -->'
    echo '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">'
    echo '  <Fragment>'
    echo '    <DirectoryRef Id="INSTALLDIR">'
    list_folder "" "      "
    echo '    </DirectoryRef>'
    echo '    <ComponentGroup Id="PackedFiles">'
    sed 's|.*|      <ComponentRef Id="&"/>|' "$stage/components.txt"
    echo '    </ComponentGroup>'
    echo '  </Fragment>'
    echo '</Wix>'
} >"$stage/files.wxs"

# wixl warns of what it does not know and goes on without it: here that fails the package.
cp "$source/src/app/pictures/quillmere-program.ico" "$stage/quillmere.ico"
rm -f "$msi.partial"
(cd "$stage" && wixl -a x64 -D Version="$version" -D Folder="$packed" -D IconFile=quillmere.ico \
    -o "$msi.partial" "$here/quillmere.wxs" files.wxs) 2>"$stage/wixl.log" || {
    cat "$stage/wixl.log" >&2
    exit 1
}
if grep -q . "$stage/wixl.log"; then
    cat "$stage/wixl.log" >&2
    echo "make-msi: wixl warned" >&2
    rm -f "$msi.partial"
    exit 1
fi
mv "$msi.partial" "$msi"
echo "make-msi: $msi ($(wc -c <"$msi") bytes, $(($(wc -l <"$stage/components.txt") + 1)) files)"
