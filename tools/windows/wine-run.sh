#!/bin/sh
# wine-run.sh PREFIX DLL_DIRS PROGRAM [ARGUMENT...]: runs a Windows program under Wine in the
# Wine prefix PREFIX, made at the first use, with the folders of DLL_DIRS (colon-separated) on
# the DLL search path. Exits with the program's exit code. Wine's own chatter is kept quiet
# unless WINEDEBUG says otherwise.
set -eu

[ $# -ge 3 ] || { echo "usage: wine-run.sh PREFIX DLL_DIRS PROGRAM [ARGUMENT...]" >&2; exit 2; }
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
dll_dirs=$2
shift 2

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# Neither Mono nor Gecko is wanted, nor the dialogs that offer to install them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

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
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/system.reg" ]; then
            wineboot --init >/dev/null 2>&1 || true
            wineserver --wait
        fi
    ) 9>"$prefix.lock"
fi

exec wine "$@"
