#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, preset "fuzz") and runs each one for a bounded time on a
# working copy of its seed corpus. Any crash, leak, sanitizer report, time-out or out-of-memory
# of a target fails the run; the input that did it is kept under build/fuzz/artifacts/.
#
#   bash scripts/fuzz.sh            # 30 seconds per target (what the test command runs)
#   bash scripts/fuzz.sh 600        # ten minutes per target, by hand
#   bash scripts/fuzz.sh 600 fuzz_jpeg fuzz_penf   # only these targets
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift || true

bash scripts/build.sh fuzz

bin=build/fuzz/fuzz
work=build/fuzz/corpus-work
artifacts=build/fuzz/artifacts
mkdir -p "$work" "$artifacts"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in "$bin"/fuzz_*; do
    [ -x "$f" ] && [ -f "$f" ] && targets+=("$(basename "$f")")
  done
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LC_ALL=C.UTF-8

failed=()
for t in "${targets[@]}"; do
  seeds="fuzz/corpus/${t#fuzz_}"
  corpus="$work/$t"
  mkdir -p "$corpus" "$artifacts/$t"
  # Inputs found in earlier runs stay in the working copy; the seeds are always part of it.
  [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  echo "== $t: ${seconds} s"
  if ! "$bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=1048576 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$t/" "$corpus" \
        > "$artifacts/$t.log" 2>&1; then
    failed+=("$t")
    tail -n 60 "$artifacts/$t.log"
  else
    grep -E "^stat::number_of_executed_units|^Done" "$artifacts/$t.log" | tr '\n' ' '
    echo
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]} (inputs under $artifacts)" >&2
  exit 1
fi
echo "Fuzzing: ${#targets[@]} targets, ${seconds} s each, no faults."
