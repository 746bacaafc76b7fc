#!/usr/bin/env bash
# Runs one libFuzzer harness for a while:  tools/fuzz.sh AREA SECONDS [libFuzzer args]
#
# AREA is one of the harnesses in tests/fuzz/harness/fuzz_<AREA>.cpp
# (streaming, criteria, ini, registry, filter, pagelist, picture, strings, margins);
# `tools/fuzz.sh list` names them. The harness is built with clang in
# build/fuzz (clang and its libFuzzer runtime are installed here when
# missing: they are needed for fuzzing only). The corpus lives in
# build/fuzz/corpus/AREA, seeded by the project's own writers and by the
# kept inputs tests/fuzz/regressions/AREA-*.bin. An input that breaks the
# reader is kept as tests/fuzz/regressions/AREA-found-<hash>.bin, which the
# normal tests (./test.sh) replay from then on: fix the reader, give the
# file a name that says what it holds, and commit both.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

if [[ "${1:-}" == "list" || $# -lt 2 ]]; then
    echo "usage: tools/fuzz.sh AREA SECONDS [libFuzzer args]" >&2
    echo "areas:" $(ls tests/fuzz/harness/fuzz_*.cpp | sed 's|.*/fuzz_||; s|\.cpp$||') >&2
    [[ "${1:-}" == "list" ]] && exit 0 || exit 2
fi
AREA=$1
SECONDS_TO_RUN=$2
shift 2
[[ -f tests/fuzz/harness/fuzz_$AREA.cpp ]] || { echo "no harness tests/fuzz/harness/fuzz_$AREA.cpp" >&2; exit 2; }

# clang with its libFuzzer runtime: a fuzzing-only dependency.
fuzzer_runtime() { find /usr/lib/llvm-*/lib/clang -name 'libclang_rt.fuzzer-x86_64.a' 2>/dev/null | head -1; }
if ! command -v clang++ >/dev/null || [[ -z "$(fuzzer_runtime)" ]]; then
    echo "Installing clang and its libFuzzer runtime (needed for fuzzing only)" >&2
    SUDO=$([[ $(id -u) -eq 0 ]] && echo "" || echo sudo)
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq clang libclang-rt-dev
fi

source tools/ensure-deps.sh
BUILD=${QEL_FUZZ_BUILD_DIR:-build/fuzz}
cmake -S tests/fuzz -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD" -j"${QEL_JOBS:-$(nproc)}" --target "fuzz_$AREA"

CORPUS=$BUILD/corpus/$AREA
SEEDS=$BUILD/seeds/$AREA
ARTIFACTS=$BUILD/artifacts/$AREA
mkdir -p "$CORPUS" "$SEEDS" "$ARTIFACTS"
for kept in tests/fuzz/regressions/"$AREA"-*.bin; do
    [[ -e "$kept" ]] && cp "$kept" "$SEEDS/"
done

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
QEL_FUZZ_SEEDS="$ROOT/$SEEDS" "$BUILD/fuzz_$AREA" "$CORPUS" "$SEEDS" \
    -max_total_time="$SECONDS_TO_RUN" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
    -artifact_prefix="$ROOT/$ARTIFACTS/" -print_final_stats=1 "$@" || status=$?

# Every input that broke the reader becomes a kept input the tests replay.
found=0
for artifact in "$ARTIFACTS"/*; do
    [[ -f "$artifact" ]] || continue
    hash=$(sha1sum "$artifact" | cut -c1-12)
    kept=tests/fuzz/regressions/$AREA-found-$hash.bin
    if [[ ! -e "$kept" ]]; then
        cp "$artifact" "$kept"
        echo "kept $(basename "$artifact") as $kept" >&2
        found=$((found + 1))
    fi
    rm -f "$artifact"
done
if [[ $status -ne 0 || $found -ne 0 ]]; then
    echo "fuzz_$AREA found a fault: see above, and the kept inputs" >&2
    exit 1
fi
