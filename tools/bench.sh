#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them: all of them, or those named
# (bench.sh dataset_sqlite). SQLite's development files are needed only here,
# for the comparisons with SQLite, so they are installed here and not by test.sh.
# Extra Google Benchmark flags can be passed in QEL_BENCH_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure-deps.sh

if ! dpkg-query -W -f='${Status}' libsqlite3-dev 2>/dev/null | grep -q 'install ok installed'; then
  echo "Installing: libsqlite3-dev"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq libsqlite3-dev
fi

# The sqlite3 shell is the reference of the export benchmark (bench.sh exports);
# GNU time reads its peak memory; soffice is the reference of the component
# printer's (bench.sh component_printer).
missing=()
command -v sqlite3 >/dev/null 2>&1 || missing+=(sqlite3)
[ -x /usr/bin/time ] || missing+=(time)
command -v soffice >/dev/null 2>&1 || missing+=(libreoffice-calc-nogui)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

# LibreOffice's spreadsheet is the peer of the report link benchmark (bench.sh
# report_links): it turns the same rows, written as CSV, into a PDF.
wants_report_links=0
if [ $# -eq 0 ]; then wants_report_links=1; fi
for n in "$@"; do [ "$n" = report_links ] && wants_report_links=1; done
if [ "$wants_report_links" -eq 1 ] && ! command -v soffice >/dev/null 2>&1; then
  echo "Installing: libreoffice-calc-nogui"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends libreoffice-calc-nogui
fi

BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BUILD_TESTS=OFF -DQEL_BUILD_BENCH=ON >/dev/null
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for src in bench/*.cpp; do names+=("$(basename "$src" .cpp)"); done
fi
targets=()
for n in "${names[@]}"; do targets+=("bench_$n"); done
cmake --build "$BUILD" -j"${QEL_JOBS:-$(nproc)}" --target "${targets[@]}"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for n in "${names[@]}"; do
  echo "== bench_$n"
  # shellcheck disable=SC2086
  "$BUILD/bench/bench_$n" ${QEL_BENCH_ARGS:-}
done
