#!/usr/bin/env bash
# The format check must fail on a file laid out otherwise: plant one in a
# copy of the layout rules and expect it named with the fix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$root/.clang-format" "$tmp/"
mkdir -p "$tmp/core" "$tmp/build/x"
printf 'int Good() { return 1; }\n' >"$tmp/core/good.cpp"
printf 'int  Bad( ) {return 1;}\n' >"$tmp/core/bad.cpp"
printf 'int  Ignored( ) {return 1;}\n' >"$tmp/build/x/made.cpp"
if out=$("$here/check_format.sh" "$tmp" 2>&1); then
    echo "a badly laid out file was not caught: $out"
    exit 1
fi
grep -qx '  core/bad.cpp' <<<"$out" || { echo "unexpected report: $out"; exit 1; }
grep -q 'fix with: clang-format.* -i core/bad.cpp$' <<<"$out" || { echo "no fix command: $out"; exit 1; }
grep -q 'good.cpp\|made.cpp' <<<"$out" && { echo "named a file that is fine or a build output: $out"; exit 1; }
echo "caught: $out"
