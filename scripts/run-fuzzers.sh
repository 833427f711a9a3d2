#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build (the list and each target's -max_len in
# BUILD/fuzz/targets.txt) for SECONDS each, from fresh seed corpora written by fuzz_seeds, with
# up to JOBS targets at a time. Prints and writes BUILD/artifacts/summary.txt: executions,
# executions per second and the outcome of each target. Exits non-zero when any target crashed,
# hung (an input taking over 10 s) or reported a sanitizer error; its input is kept under
# BUILD/artifacts/.
#
# usage: run-fuzzers.sh BUILD SECONDS [JOBS]
set -uo pipefail

build=$1
seconds=$2
jobs=${3:-1}
list=$build/fuzz/targets.txt
out=$build/artifacts
[ -f "$list" ] || { echo "no $list: build the fuzz_all target first" >&2; exit 2; }

rm -rf "$build/corpus" "$out" && mkdir -p "$build/corpus" "$out"
"$build/fuzz/fuzz_seeds" "$build/corpus" || exit 1

# One target; its summary line goes to $out/NAME.summary.
run_one() {
    local name=$1 max_len=$2 status=0
    mkdir -p "$build/corpus/$name"
    "$build/fuzz/$name" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$out/$name-" \
        "$build/corpus/$name" > "$out/$name.log" 2>&1 || status=$?
    local runs rate result=ok
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$name.log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$out/$name.log" | tail -n 1)
    [ "$status" -eq 0 ] || result="FAILED (exit $status)"
    printf '%-24s %9s %13s %9s  %s\n' "$name" "$max_len" "${runs:-?}" "${rate:-?}" "$result" \
        > "$out/$name.summary"
    echo "== $name: ${runs:-?} executions, $result"
    [ "$status" -eq 0 ] || tail -n 30 "$out/$name.log"
}

names=()
while read -r name max_len; do
    [ -n "$name" ] || continue
    names+=("$name")
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
    run_one "$name" "$max_len" &
done < "$list"
wait

{
    printf '%-24s %9s %13s %9s  %s\n' target max_len executions exec/s result
    for name in "${names[@]}"; do cat "$out/$name.summary"; done
} > "$out/summary.txt"
cat "$out/summary.txt"
! grep -q FAILED "$out/summary.txt"
