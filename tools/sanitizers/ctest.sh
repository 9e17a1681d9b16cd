#!/bin/sh
# ctest.sh BUILD_DIR [CTEST_ARGUMENT]...: runs the tests of a build made with QUILLMERE_SANITIZE,
# with the sanitizers' options and this folder's suppressions.
#
# Every report goes to a file of its own in BUILD_DIR/sanitizer-reports: a program the tests start
# (quillmere-join, the window program) reports there too, where its standard error would be
# swallowed by the test. Any report fails the run, and is printed after the tests.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
shift

reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/report"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/report"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$here/tsan.supp:log_path=$reports/report"

status=0
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@") || status=$?

for report in "$reports"/*; do
    [ -e "$report" ] || continue
    echo "==== sanitizer report $report"
    cat "$report"
    status=1
done
exit $status
