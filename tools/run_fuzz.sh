#!/usr/bin/env bash
# Runs every libFuzzer program of a fuzz build for a set time each and prints,
# per target, the executions and the findings.
#   tools/run_fuzz.sh <build folder> <seconds per target> [target...]
# Inputs the fuzzer finds go to <build>/fuzz-corpus/<target> (the committed seed
# corpus under tests/fuzz/corpus/ is only read); findings go to
# <build>/fuzz-findings/<target>/.
set -uo pipefail

build=${1:?build folder}
seconds=${2:-60}
shift 2 || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(ini number scale events rtf picture tour csv goto instance eventarg)
src=$(cd "$(dirname "$0")/.." && pwd)
status=0

printf '%-8s %12s %10s %s\n' target executions findings log > "$build/fuzz-summary.txt"
for t in "${targets[@]}"; do
  work="$build/fuzz-corpus/$t"
  findings="$build/fuzz-findings/$t"
  mkdir -p "$work" "$findings"
  log="$build/fuzz-$t.log"
  echo "== fuzz_$t for $seconds s"
  seeds=()
  for d in "$src/tests/fuzz/corpus/$t" "$src/tests/fuzz/reproducers/$t"; do
    [ -d "$d" ] && seeds+=("$d")
  done
  # The targets write each input to a file: on a memory file system when there is one.
  tmp=/tmp
  [ -d /dev/shm ] && [ -w /dev/shm ] && tmp=/dev/shm
  TMPDIR=$tmp QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
    "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/" "$work" "${seeds[@]}" > "$log" 2>&1
  rc=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  [ -z "$execs" ] && execs=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
  found=$(find "$findings" -type f | wc -l)
  [ $rc -ne 0 ] || [ "$found" -ne 0 ] && status=1
  printf '%-8s %12s %10s %s\n' "$t" "${execs:-?}" "$found" "$log" >> "$build/fuzz-summary.txt"
done
cat "$build/fuzz-summary.txt"
exit $status
