#!/usr/bin/env bash
# The game's layers, top to bottom, written once. A file may include its own
# folder and any folder on a lower line; folders on one line are separate
# rooms and may not include each other. Tests, tools and benchmarks stand
# above everything and are not checked.
#
#   tests/layers/check_layers.sh [ROOT]          fails on an upward include
#   tests/layers/check_layers.sh --show [ROOT]   prints who includes whom
set -euo pipefail

layers=(
  "app"
  "world"
  "monsters"
  "scenery text camera"
  "gl"
  "core"
  "platform"
)
# The one arrow the game asks for against the grain, named: none today.
allowed=()

show=0
if [ "${1:-}" = --show ]; then show=1; shift; fi
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root"

declare -A level
for i in "${!layers[@]}"; do
  for folder in ${layers[$i]}; do level[$folder]=$i; done
done

status=0
while IFS= read -r file; do
  from=${file%%/*}
  [ -n "${level[$from]:-}" ] || continue
  while IFS= read -r target; do
    to=${target%%/*}
    [ -n "${level[$to]:-}" ] || continue
    [ "$to" = "$from" ] && continue
    if [ $show = 1 ]; then printf '%-10s -> %-10s %s includes %s\n' "$from" "$to" "$file" "$target"; fi
    if [ "${level[$to]}" -le "${level[$from]}" ]; then
      arrow="$file -> $target"
      ok=0
      for a in "${allowed[@]+"${allowed[@]}"}"; do [ "$a" = "$arrow" ] && ok=1; done
      if [ $ok = 0 ]; then
        echo "upward include: $file includes $target ($from is not above $to)"
        status=1
      fi
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "${!level[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)

[ $status = 0 ] && [ $show = 0 ] && echo "layers in order: ${layers[*]}"
exit $status
