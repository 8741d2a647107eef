#!/usr/bin/env bash
# The layer check must fail on an include that points up: plant one in a
# copy of the tree and expect it named.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for d in app world monsters scenery text camera gl core platform; do cp -r "$root/$d" "$tmp/"; done
echo '#include "world/world.h"' >> "$tmp/core/tick_timer.cpp"
if out=$("$here/check_layers.sh" "$tmp" 2>&1); then
  echo "planted upward include was not caught"; exit 1
fi
grep -q 'core/tick_timer.cpp includes world/world.h' <<<"$out" || { echo "unexpected report: $out"; exit 1; }
echo "caught: $out"
