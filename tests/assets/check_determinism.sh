#!/usr/bin/env bash
# check_determinism.sh GENERATOR
# Runs the asset generator twice into fresh directories and compares every
# file byte for byte: the data must not depend on time, memory layout or
# anything else that changes between runs.
set -u
GEN=${1:?usage: check_determinism.sh GENERATOR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for run in a b; do
    mkdir "$work/$run"
    if ! "$GEN" "$work/$run/data" "$work/$run/icons" >"$work/$run.log" 2>&1; then
        echo "FAIL: generator run $run exited with an error:"
        cat "$work/$run.log"
        exit 1
    fi
done

files_a=$(cd "$work/a" && find . -type f | sort)
files_b=$(cd "$work/b" && find . -type f | sort)
if [ -z "$files_a" ]; then
    echo "FAIL: the generator wrote no files"
    exit 1
fi
if [ "$files_a" != "$files_b" ]; then
    echo "FAIL: the two runs wrote different sets of files:"
    diff <(echo "$files_a") <(echo "$files_b")
    exit 1
fi

differ=()
while read -r f; do
    cmp -s "$work/a/$f" "$work/b/$f" || differ+=("${f#./}")
done <<<"$files_a"
if [ "${#differ[@]}" -gt 0 ]; then
    echo "FAIL: files differ between two runs: ${differ[*]}"
    exit 1
fi
echo "check_determinism: $(echo "$files_a" | wc -l) files identical across two runs"
