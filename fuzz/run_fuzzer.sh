#!/usr/bin/env bash
# Runs one fuzz target over its corpus, first filling the corpus with its seeds.
#   run_fuzzer.sh BINARY NAME FUZZ_BUILD_DIR DATA_DIR [SEED_GLOB...]
# BR_FUZZ_SECONDS (default 3) bounds the run; BR_FUZZ_RUNS, when set, asks for that many
# executions instead. The corpus grows in FUZZ_BUILD_DIR/corpus/NAME between runs; inputs
# that fail are kept in FUZZ_BUILD_DIR/artifacts/ and the log in FUZZ_BUILD_DIR/logs/NAME.log.
set -euo pipefail
binary=$1 name=$2 build=$3 data=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)
corpus=$build/corpus/$name
mkdir -p "$corpus" "$build/artifacts" "$build/logs"

# Seeds: composed ones, checked-in ones and data set files no larger than a fuzzer likes.
for dir in "$build/composed/$name" "$here/seeds/$name"; do
  [ -d "$dir" ] && cp -n "$dir"/* "$corpus"/ 2>/dev/null || true
done
for glob in "$@"; do
  (cd "$data" && find . -path "./$glob" -type f -size -256k) | while read -r f; do
    cp -n "$data/$f" "$corpus/seed-$(echo "${f#./}" | tr / _)"
  done
done

limit=(-max_total_time="${BR_FUZZ_SECONDS:-3}")
[ -n "${BR_FUZZ_RUNS:-}" ] && limit=(-runs="$BR_FUZZ_RUNS")
# Legitimate loads stay far below these; one input that asks for more is a finding.
"$binary" "$corpus" "${limit[@]}" -rss_limit_mb=2048 -malloc_limit_mb=640 -timeout=30 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
  > "$build/logs/$name.log" 2>&1 || {
  tail -n 60 "$build/logs/$name.log"
  exit 1
}
grep -E '^(Done|stat::number_of_executed_units)' "$build/logs/$name.log" | tail -n 1
