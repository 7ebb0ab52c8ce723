#!/usr/bin/env bash
# Runs every fuzz target for longer than CI does and prints each one's executions.
#   fuzz/run_all.sh BUILD_DIR [SECONDS]        (default 600 s per target)
#   BR_FUZZ_RUNS=1000000 fuzz/run_all.sh BUILD_DIR
# BUILD_DIR is a tree configured with -DBR_FUZZ=ON and clang (see the README's testing part).
set -euo pipefail
build=$1
export BR_FUZZ_SECONDS=${2:-600}
cmake --build "$build" -j"$(nproc)" --target fuzz_targets
status=0
ctest --test-dir "$build" -L fuzz --timeout 100000 -j2 --output-on-failure || status=$?
for log in "$build"/fuzz/logs/*.log; do
  printf '%-16s %s\n' "$(basename "$log" .log)" \
    "$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | awk '{print $2 " executions"}')"
done
exit $status
