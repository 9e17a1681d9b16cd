#!/bin/sh
# wine-run.sh PREFIX DLL_DIRS PROGRAM [ARGUMENT...]: runs a Windows program under Wine in the
# Wine prefix PREFIX, made at the first use, with the folders of DLL_DIRS (colon-separated) on
# the DLL search path. Exits with the program's exit code. Wine's own chatter is kept quiet
# unless WINEDEBUG says otherwise.
#
# The prefix keeps to itself: the user's folders in it are its own rather than links to the
# home folder, and Wine adds no menu entries or file types to the desktop for what is
# installed in it. Arial, which Wine lacks, is Liberation Sans there, the font of the same
# metrics that the window's list is measured in on Linux.
set -eu

[ $# -ge 3 ] || { echo "usage: wine-run.sh PREFIX DLL_DIRS PROGRAM [ARGUMENT...]" >&2; exit 2; }
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
dll_dirs=$2
shift 2

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# Neither Mono nor Gecko is wanted, nor the dialogs that offer to install them, nor Wine's
# menu builder, which writes into the host's desktop menus.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

# Qt's messages, and Qt Test's results, go to the debugger on Windows unless told otherwise.
export QT_FORCE_STDERR_LOGGING=1
# Wine hands no variable whose name starts with QT_ to Windows programs: those are taken for the
# host's Qt. Windows finds variables whatever the case of their names, so each goes as Qt_....
for name in $(env | sed -n 's/^QT_\([A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export Qt_$name=\"\$QT_$name\""
done

# Wine takes the search path as Windows paths; its drive Z: is the Unix root.
winepath=
old_ifs=$IFS
IFS=:
for dir in $dll_dirs; do
    [ -n "$dir" ] && winepath="$winepath${winepath:+;}Z:$(printf '%s' "$dir" | tr / '\\')"
done
IFS=$old_ifs
export WINEPATH="$winepath"

# The first program to run makes the prefix; the others wait for it.
made=$prefix/.quillmere-prefix
if [ ! -f "$made" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$made" ]; then
            wineboot --init >/dev/null 2>&1 || true
            for folder in "$prefix"/drive_c/users/*/*; do
                if [ -L "$folder" ]; then
                    rm "$folder"
                    mkdir "$folder"
                fi
            done
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null
            wineserver --wait
            touch "$made"
        fi
    ) 9>"$prefix.lock"
fi

exec wine "$@"
