#!/bin/sh
# test-windows.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR: the Windows leg. On a virtual X server of
# its own, with the Windows build's own Wine prefix:
#   1. every test built for Windows, under Wine (ctest);
#   2. the packed folder (Quillmere-*-win64.zip), unpacked and run with nothing else on the DLL
#      search path: quillmere-join.exe joins the public CSV files to exactly the bytes that the
#      Linux build's quillmere-join writes, and quillmere.exe shows its window titled
#      "Quillmere" with a client area of 545 x 155;
#   3. the installer (Quillmere-*-win64.msi), by what it does, since Wine's exit codes tell
#      little: installed silently, it puts the packed folder's very files in
#      Program Files\Quillmere, the Start menu and Send To shortcuts, the "Open with" entry
#      and the uninstall entry with its icon and version; the installed quillmere-join.exe
#      joins as in 2; the installed window, started by the Send To shortcut, is driven with the
#      real pointer (window-under-wine.sh, screenshot in quillmere-window-under-wine.png); a
#      later version replaces it; and removed silently, it leaves nothing but the user's files.
# Settings: QUILLMERE_DISPLAY (the first X display number tried, 100), QUILLMERE_CSV_DIR (the
# public CSV files, ../shared/testdata/csv beside the checkout), JOBS.
set -eu

[ $# -eq 2 ] || { echo "usage: test-windows.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR" >&2; exit 2; }
windows=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
csv_dir=${QUILLMERE_CSV_DIR:-$source/../shared/testdata/csv}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
prefix=$(sed -n 's/^QUILLMERE_WINE_PREFIX:PATH=//p' "$windows/CMakeCache.txt")
[ -n "$prefix" ] || { echo "test-windows: $windows was configured without Wine" >&2; exit 1; }
probe_program=$windows/tests/windows/windowprobe.exe

# A display of our own: the first free one from QUILLMERE_DISPLAY on.
display=${QUILLMERE_DISPLAY:-100}
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$windows/xvfb.log" 2>&1 &
xvfb=$!
export WINEPREFIX="$prefix"
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM
waited=0
until [ -e "/tmp/.X11-unix/X$display" ]; do
    sleep 0.1
    waited=$((waited + 1))
    [ "$waited" -lt 100 ] || { echo "test-windows: Xvfb did not start on :$display" >&2; exit 1; }
done
export DISPLAY=":$display"
echo "test-windows: X server on $DISPLAY, Wine prefix $WINEPREFIX"

run_wine() { "$here/wine-run.sh" "$prefix" "" "$@"; }
scratch=$windows/package-check
rm -rf "$scratch"
mkdir -p "$scratch"
# What the checks' helper programs say, for when a check fails.
log=$scratch/wine.log

# Made here rather than by the first of several tests at once.
run_wine cmd /c exit 0 || true
# One Wine server for the whole run, and the prefix's own processes (the desktop, the services)
# started here: started by a test or a check, they would hold its output open for as long as
# they run, and ctest or the check would wait for them.
wineserver -k 2>>"$log" || true
wineserver -p
run_wine "$probe_program" window 0 "" >>"$log" 2>&1 || true

failed=0
(cd "$windows" && ctest --output-on-failure --parallel "$jobs") || failed=1

passed_checks=0
failed_checks=0
check() {
    if [ "$1" = ok ]; then
        passed_checks=$((passed_checks + 1))
        echo "test-windows: PASS $2"
    else
        failed_checks=$((failed_checks + 1))
        echo "test-windows: FAIL $2"
    fi
}
# Checks that a condition, the command after the description, holds.
check_that() {
    description=$1
    shift
    if "$@"; then check ok "$description"; else check failed "$description"; fi
}
# check_equal DESCRIPTION ACTUAL EXPECTED
check_equal() {
    if [ "$2" = "$3" ]; then
        check ok "$1"
    else
        check failed "$1"
        printf '    found:    %s\n    expected: %s\n' "$2" "$3"
    fi
}
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# The public CSV files joined by the Linux build, for the Windows programs' joins to match.
inputs=
if [ -d "$csv_dir" ]; then
    inputs=$(find "$csv_dir" -name '*.csv' | LC_ALL=C sort)
    # shellcheck disable=SC2086
    "$linux/quillmere-join" -o "$scratch/joined-linux.txt" $inputs
else
    echo "test-windows: SKIP the CSV joins: no folder $csv_dir"
fi
# check_join PROGRAM WHAT: PROGRAM (a quillmere-join.exe) joins them to the same bytes.
check_join() {
    [ -n "$inputs" ] || return 0
    program=$1
    what=$2
    rm -f "$scratch/joined-windows.txt"
    set --
    for input in $inputs; do
        set -- "$@" "$(windows_path "$input")"
    done
    if run_wine "$program" -o "$(windows_path "$scratch/joined-windows.txt")" "$@" \
        && cmp "$scratch/joined-linux.txt" "$scratch/joined-windows.txt"; then
        check ok "$what joins the $(echo "$inputs" | wc -l) public CSV files to the Linux build's bytes"
    else
        check failed "$what joins the public CSV files to the Linux build's bytes"
    fi
}

# 2. The packed folder, alone.
zip=$(ls "$windows"/Quillmere-*-win64.zip)
(cd "$scratch" && unzip -q "$zip")
folder=$(ls -d "$scratch"/Quillmere-*-win64)

check_join "$folder/quillmere-join.exe" "the zip's quillmere-join.exe"

run_wine "$folder/quillmere.exe" &
area=$(run_wine "$probe_program" window 60 Quillmere | tr -d '\r') || area=none
if [ "${area#* * }" = "545 155" ] && xdotool search --onlyvisible --name '^Quillmere$' >/dev/null; then
    check ok "the zip's quillmere.exe shows its window titled \"Quillmere\" with a 545 x 155 client area"
else
    check failed "the zip's quillmere.exe shows its window titled \"Quillmere\" with a 545 x 155 client area (client area: $area)"
fi
import -window root "$windows/quillmere-under-wine.png" 2>/dev/null || true
check_that "the zip's quillmere.exe closes" run_wine "$probe_program" close 10 Quillmere

# 3. The installer.
msi=$(ls "$windows"/Quillmere-*-win64.msi)
product_code() { msiinfo export "$1" Property | sed -n 's/^ProductCode\t//p' | tr -d '\r'; }
code=$(product_code "$msi")
drive_c=$prefix/drive_c
user_folder="$(ls -d "$drive_c"/users/*/Documents | grep -v /Public/ | head -n 1)/Quillmere check"
installed="$drive_c/Program Files/Quillmere"

files_snapshot() { (cd "$drive_c" && find . | LC_ALL=C sort); }
# The keys under KEY and their values, one "[key]|value" a line, continued lines joined.
registry_snapshot() {
    run_wine reg export "$1" "$(windows_path "$scratch/export.reg")" /y >>"$log"
    iconv -f UTF-16 -t UTF-8 "$scratch/export.reg" | tr -d '\r' | sed -e ':a' -e '/\\$/N; s/\\\n *//; ta' \
        | awk '/^\[/ { key = $0; print key "|"; next } NF && key { print key "|" $0 }' | LC_ALL=C sort
}
# The data of a value, KEY's default one without NAME; "listed" for whether it is there at all.
# Wine's reg has now and then handed back nothing through the pipe for a value that is there: a
# value comes back empty only after three reads.
reg_value() {
    for _ in 1 2 3; do
        value=$(run_wine reg query "$1" ${2:+/v "$2"} 2>>"$log" | tr -d '\r' | sed -n "s/^ *${2:-(Default)} *REG_[A-Z_]* *//p")
        [ -z "$value" ] || break
    done
    printf '%s\n' "$value"
}
reg_listed() { if run_wine reg query "$1" ${2:+/v "$2"} >>"$log" 2>&1; then echo listed; fi; }
# The programs listed in Settings > Apps, as "PRODUCTCODE|||NAME".
listed_programs() { run_wine uninstaller --list 2>>"$log" | tr -d '\r'; }
# A GUID as Windows Installer spells it in its own keys: each part reversed, the last two by bytes.
packed_guid() {
    printf '%s\n' "$1" | tr -d '{}' | tr - ' ' | {
        read -r a b c d e
        printf '%s%s%s%s\n' "$(printf %s "$a" | rev)" "$(printf %s "$b" | rev)" "$(printf %s "$c" | rev)" \
            "$(printf %s "$d$e" | sed 's/\(.\)\(.\)/\2\1/g')"
    }
}
links_to_program() { grep -q -a -F 'C:\Program Files\Quillmere\quillmere.exe' "$1"; }

# Windows' own Send To entries stand in the folder before any program adds one: a stand-in.
send_to=$(ls -d "$drive_c"/users/*/AppData/Roaming/Microsoft/Windows/SendTo | head -n 1)
: >"$send_to/Compressed (zipped) Folder.ZFSendToTarget"
files_snapshot >"$scratch/files-before.txt"
registry_snapshot 'HKLM\Software' >"$scratch/machine-before.txt"
registry_snapshot 'HKCU\Software' >"$scratch/user-before.txt"
csv_type=$(reg_value 'HKLM\Software\Classes\.csv')
txt_type=$(reg_value 'HKLM\Software\Classes\.txt')

# msiexec returns when it is done; whether it did its work is told by what it did.
run_wine msiexec /i "$(windows_path "$msi")" /qn
check_that "the installer puts the zip's very files in Program Files\\Quillmere" \
    diff -r "$folder" "$installed"
# Wine puts a shortcut for all users in the installing user's own Start menu.
start_menu=
for shortcut in "$drive_c"/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Quillmere.lnk \
    "$drive_c"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Quillmere.lnk; do
    [ -f "$shortcut" ] && start_menu=$shortcut
done
check_that "a Start menu shortcut to quillmere.exe (${start_menu#"$drive_c"})" links_to_program "${start_menu:-none}"
check_that "a Send To shortcut to quillmere.exe" links_to_program "$send_to/Quillmere.lnk"
applications='HKLM\Software\Classes\Applications\quillmere.exe'
open_with="$(reg_value "$applications\\shell\\open\\command")|$(reg_value "$applications" FriendlyAppName)"
for type in csv txt; do
    open_with="$open_with|$(reg_listed "$applications\\SupportedTypes" ".$type")"
    open_with="$open_with|$(reg_listed "HKLM\\Software\\Classes\\.$type\\OpenWithList\\quillmere.exe")"
done
open_with="$open_with|$(reg_value 'HKLM\Software\Classes\.csv')|$(reg_value 'HKLM\Software\Classes\.txt')"
check_equal "\"Open with\" offers Quillmere for .csv and .txt files and takes neither over" "$open_with" \
    "\"C:\\Program Files\\Quillmere\\quillmere.exe\" \"%1\"|Quillmere|listed|listed|listed|listed|$csv_type|$txt_type"
uninstall="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code"
product_icon=$(reg_value "HKLM\\Software\\Classes\\Installer\\Products\\$(packed_guid "$code")" ProductIcon)
product_icon=$drive_c/$(printf %s "${product_icon#C:\\}" | tr '\\' /)
listed="$(listed_programs)|$(reg_value "$uninstall" DisplayVersion)|$(reg_value "$uninstall" Publisher)"
cmp -s "$product_icon" "$source/src/app/pictures/quillmere-program.ico" && listed="$listed|icon"
check_equal "Settings > Apps lists Quillmere 1.00 by The Quillmere developers, with its icon" "$listed" \
    "$code|||Quillmere|1.00|The Quillmere developers|icon"
check_join "$installed/quillmere-join.exe" "the installed quillmere-join.exe"

if "$here/window-under-wine.sh" "$prefix" "$probe_program" \
    "$(printf 'C:%s' "${send_to#"$drive_c"}" | tr / '\\')\\Quillmere.lnk" "$user_folder" \
    "$windows/quillmere-window-under-wine.png"; then
    check ok "the installed window, started by Send To and driven with the pointer, joins and tells"
else
    check failed "the installed window, started by Send To and driven with the pointer, joins and tells"
fi

# A later version replaces this one.
"$here/make-msi.sh" "$windows" "$scratch/Quillmere-1.01-win64.msi" 1.01 >>"$log"
later_code=$(product_code "$scratch/Quillmere-1.01-win64.msi")
run_wine msiexec /i "$(windows_path "$scratch/Quillmere-1.01-win64.msi")" /qn
replaced="$(listed_programs)|$(reg_value "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$later_code" DisplayVersion)"
replaced="$replaced|$(reg_value "$uninstall" DisplayVersion)|$(diff -r "$folder" "$installed" >>"$log" && echo same)"
check_equal "a later version replaces it" "$replaced" "$later_code|||Quillmere|1.01||same"

run_wine msiexec /x "$later_code" /qn
files_snapshot >"$scratch/files-after.txt"
registry_snapshot 'HKLM\Software' >"$scratch/machine-after.txt"
registry_snapshot 'HKCU\Software' >"$scratch/user-after.txt"
# Left behind: the user's files, the installer's own folder and keys, empty, and the shell's
# record of the folders and views that the user's dialogs showed. The program itself keeps
# nothing: no settings of Qt's file dialog either.
user_files=.${user_folder#"$drive_c"}
comm -13 "$scratch/files-before.txt" "$scratch/files-after.txt" \
    | grep -v -x -F -e ./windows/Installer | grep -v -F -e "$user_files" >"$scratch/files-left.txt" || true
comm -23 "$scratch/files-before.txt" "$scratch/files-after.txt" >"$scratch/files-taken.txt"
for scope in machine user; do
    comm -3 "$scratch/$scope-before.txt" "$scratch/$scope-after.txt" \
        | grep -v -E -e '^	?\[[^]]*\\Installer(\\[^]]*)?\]\|$' \
            -e '^	?\[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer[]\\]' \
        >"$scratch/$scope-changed.txt" || true
done
if [ -n "$(listed_programs)" ] || [ -s "$scratch/files-left.txt" ] || [ -s "$scratch/files-taken.txt" ] \
    || [ -s "$scratch/machine-changed.txt" ] || [ -s "$scratch/user-changed.txt" ]; then
    check failed "removed, it leaves nothing but the user's files"
    for what in files-left files-taken machine-changed user-changed; do
        [ -s "$scratch/$what.txt" ] && { echo "$what:"; head -n 20 "$scratch/$what.txt"; }
    done
else
    check ok "removed, it leaves nothing but the user's files ($(grep -c -F "$user_files/" "$scratch/files-after.txt"))"
fi

echo "test-windows: packed folder and installer: $passed_checks passed, $failed_checks failed"
[ "$failed" -eq 0 ] && [ "$failed_checks" -eq 0 ]
