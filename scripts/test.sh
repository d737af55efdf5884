#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite offscreen (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
# With --sanitize (as in CI) the suite runs once more in a build of its own
# under AddressSanitizer and UndefinedBehaviorSanitizer.
build=build
if [ "${1:-}" = "--sanitize" ]; then
    build=build-asan
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
scripts/setup.sh "$@"
export QT_QPA_PLATFORM=offscreen
# Once under the plain C locale and once under the German one the program is
# used with (the C library then prints numbers with a decimal comma).
unset LC_ALL LC_NUMERIC LC_TIME LANGUAGE
for lang in C.UTF-8 de_DE.UTF-8; do
    echo "Tests under LANG=$lang"
    LANG=$lang ctest --test-dir "$build" --output-on-failure --timeout 300
done
