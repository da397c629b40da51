#!/usr/bin/env bash
# Builds the fuzz targets with the "fuzz" preset (clang, libFuzzer, ASan, UBSan) and runs each
# for the given number of seconds (default 60), starting from fuzz/corpus/<target>/ and the
# inputs of fuzz/regressions/<target>/. New interesting inputs go to build/fuzz/corpus/<target>/,
# never into the repository; a crash is saved as build/fuzz/crashes/<target>/crash-*.
# Usage: fuzz/run.sh [seconds] [target...]
#
# Every path handed to the fuzzer is absolute: a target may change its working directory (the
# screens target works in a scratch folder of its own), and libFuzzer reads the corpus files, and
# writes new inputs and crashes, only after the first input has run.
set -uo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
seconds="${1:-60}"
shift || true

cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do
    name="$(basename "$source" .cpp)"
    targets+=("${name%_fuzz}")
  done
fi

# The screens target's control chart reaches a history server of its own, as the test suite starts
# one (tests/support/pg_server.sh); without PostgreSQL it offers one that is down.
server_note=""
stop_server() { if [ -n "$server_note" ]; then bash tests/support/pg_server.sh stop "$server_note"; fi; }
trap stop_server EXIT
if [[ " ${targets[*]} " == *" screens "* ]] && [ -x /usr/lib/postgresql/15/bin/initdb ]; then
  server_note="$root/build/fuzz/pg_server"
  if bash tests/support/pg_server.sh start "$server_note" >/dev/null 2>&1; then
    export QUORIN_FUZZ_SERVER="postgresql:///quorin_test?host=$(cat "$server_note")&user=quorin_admin"
  else
    server_note=""
    echo "no history server could be started: the screens target offers one that is down" >&2
  fi
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=0
printf '%-16s %8s %12s %10s %8s %8s %8s\n' target seconds executions exec/s coverage corpus crashes
for target in "${targets[@]}"; do
  work="$root/build/fuzz/corpus/$target"
  crashes="$root/build/fuzz/crashes/$target"
  log="$root/build/fuzz/$target.log"
  mkdir -p "$work" "$crashes" "$root/fuzz/regressions/$target"
  "$root/build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
    -artifact_prefix="$crashes/" -print_final_stats=1 \
    "$work" "$root/fuzz/corpus/$target" "$root/fuzz/regressions/$target" >"$log" 2>&1
  status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
  # The coverage (edges reached) and the inputs kept, as libFuzzer last reported them.
  coverage="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  kept="$(grep -o 'corp: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  found="$(find "$crashes" -type f | wc -l)"
  printf '%-16s %8s %12s %10s %8s %8s %8s\n' "$target" "$seconds" "${runs:-?}" "${speed:-?}" "${coverage:-?}" \
    "${kept:-?}" "$found"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    echo "  see $log; copy a fixed crash input into fuzz/regressions/$target/" >&2
  fi
done
exit "$failed"
