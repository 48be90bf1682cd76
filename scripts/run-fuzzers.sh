#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs each for SECONDS_PER_TARGET, one at a time at the lowest priority, starting from the
# seeds in fuzz/corpus and from what earlier runs in build-fuzz found. Any finding fails the
# run and leaves its reproducer in build-fuzz/findings/. Prints the executions per target and
# in total.
#   scripts/run-fuzzers.sh        # 4 s per target: the CI run, under a minute in all
#   scripts/run-fuzzers.sh 600    # ten minutes per target
# Replay one reproducer: build-fuzz/fuzz/fuzz_<target> build-fuzz/findings/<file>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-4}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS_PER_TARGET]" >&2
  exit 2
fi
"$root/scripts/install-deps.sh"

build="$root/build-fuzz"
"$root/scripts/build-configuration.sh" fuzz

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/findings" "$build/logs"

total=0
failed=()
printf '%-20s %14s  %s\n' "target" "executions" "outcome"
while read -r target; do
  corpus="$build/corpus/$target"
  log="$build/logs/$target.log"
  mkdir -p "$corpus"
  outcome="no finding"
  if ! nice -n 19 "$build/fuzz/fuzz_$target" "$corpus" "$root/fuzz/corpus/$target" \
      -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" >"$log" 2>&1; then
    outcome="FINDING (log: $log)"
    failed+=("$target")
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  total=$((total + ${executions:-0}))
  printf '%-20s %14s  %s\n' "$target" "${executions:-?}" "$outcome"
done <"$build/fuzz/targets.txt"
printf '%-20s %14s\n' "total" "$total"

if [ ${#failed[@]} -gt 0 ]; then
  for target in "${failed[@]}"; do
    echo "== $target"
    grep -E "property broken|ERROR|SUMMARY|Test unit written" "$build/logs/$target.log" || tail -n 20 "$build/logs/$target.log"
  done
  exit 1
fi
