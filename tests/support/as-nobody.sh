#!/bin/sh
# Runs a test as the user nobody, where it runs as root: what an ordinary user's join meets
# (writes that clear set-ID bits, folders that take no new file) shows only there. Skipped
# (77) for any other user, who runs the test as itself anyway.
set -eu
[ "$(id -u)" -eq 0 ] || exit 77
command -v setpriv >/dev/null 2>&1 || exit 77
cd "${TMPDIR:-/tmp}"
exec setpriv --reuid=65534 --regid=65534 --clear-groups --reset-env -- "$@"
