#!/usr/bin/env bash
# Every C/C++ file of ours is laid out as .clang-format says, so a change
# shows only what it changes. In a git checkout the tracked files are
# checked (and new ones not ignored); elsewhere every source file under the
# root, outside build trees.
#
#   tests/format/check_format.sh [ROOT]    fails naming each file to fix
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root"

# Layouts differ between clang-format releases: the one Debian 12 ships.
format=clang-format-14
command -v "$format" >/dev/null || format=clang-format
command -v "$format" >/dev/null || { echo "clang-format is not installed (scripts/deps.sh test installs it)"; exit 1; }

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.c' '*.cpp' '*.h' | sort -u)
else
    mapfile -t files < <(find . \( -path './build*' -o -name node_modules \) -prune -o -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
fi
(( ${#files[@]} > 0 )) || { echo "no C/C++ files under $root"; exit 1; }

unformatted=()
for f in "${files[@]}"; do
    [[ -f $f ]] || continue  # deleted but not yet committed
    "$format" --style=file --dry-run -Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
done
if (( ${#unformatted[@]} > 0 )); then
    echo "not laid out as .clang-format says (${#unformatted[@]} of ${#files[@]} files):"
    printf '  %s\n' "${unformatted[@]}"
    echo "fix with: $format -i ${unformatted[*]}"
    exit 1
fi
echo "${#files[@]} files formatted"
