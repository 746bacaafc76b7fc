#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
source tools/ensure-deps.sh

BUILD=${QEL_TEST_BUILD_DIR:-build/asan}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQEL_SANITIZE=ON >/dev/null
cmake --build "$BUILD" -j"${QEL_JOBS:-$(nproc)}"
export QT_QPA_PLATFORM=offscreen
# The printer tests print through a private CUPS scheduler of this build tree,
# never the system's; it is stopped again when the tests end. When it cannot
# start, those tests fail and say why.
export QEL_CUPS_DIR="$PWD/$BUILD/cups"
case "$BUILD" in /*) QEL_CUPS_DIR="$BUILD/cups" ;; esac
if tools/cups-test-server.sh start >/dev/null; then
    trap 'tools/cups-test-server.sh stop' EXIT
fi
# The sanitizer runtime of GCC <= 13 misreads some dynamic-TLS blocks in its __tls_get_addr
# interceptor and crashes LeakSanitizer's tracer on some machines; leak checking stays on.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:intercept_tls_get_addr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$BUILD" -j"${QEL_JOBS:-$(nproc)}" --output-on-failure "$@"
