#!/usr/bin/env bash
# Runs the game's BMP decoder and ImageMagick over every .bmp under the given
# folders and compares their pixels (R, G, B only, top row first) wherever
# both read a file. Prints one line per refusal and per disagreement, then
# the counts; exits 1 if any pixels differ.
#   tools/assetcheck/compare-bmp.sh BUILD_DIR FOLDER...
set -u
check=$1/tools/assetcheck/orvanthe-assetcheck
shift
[ -x "$check" ] || { echo "no $check: build first" >&2; exit 2; }
command -v convert >/dev/null || { echo "ImageMagick's convert is missing" >&2; exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

accepted=0 refused=0 same=0 differ=0 theyRefuse=0
declare -A reasons
while IFS= read -r -d '' file; do
    line=$("$check" "$file")
    if [ "$(cut -f2 <<<"$line")" != ok ]; then
        reason=$(cut -f3 <<<"$line")
        refused=$((refused + 1))
        reasons[$reason]=$((${reasons[$reason]:-0} + 1))
        echo "refused   $file: $reason"
        continue
    fi
    accepted=$((accepted + 1))
    "$check" --rgb "$file" >"$tmp/ours"
    convert "$file[0]" -depth 8 rgb:- >"$tmp/theirs" 2>"$tmp/err"
    if [ ! -s "$tmp/theirs" ]; then
        theyRefuse=$((theyRefuse + 1))
        echo "IM fails  $file: $(head -c 160 "$tmp/err" | head -n 1)"
    elif cmp -s "$tmp/ours" "$tmp/theirs"; then
        same=$((same + 1))
    else
        differ=$((differ + 1))
        bytes=$(cmp -l "$tmp/ours" "$tmp/theirs" 2>/dev/null | wc -l)
        echo "DIFFER    $file: $bytes of $(stat -c %s "$tmp/ours") bytes ($(cut -f3 <<<"$line"))"
    fi
done < <(find "$@" -type f -iname '*.bmp' -print0 | sort -z)

echo
echo "accepted $accepted: $same same as ImageMagick, $differ different, $theyRefuse that ImageMagick cannot read"
echo "refused $refused:"
for reason in "${!reasons[@]}"; do printf '  %3d  %s\n' "${reasons[$reason]}" "$reason"; done | sort -rn
[ "$differ" -eq 0 ]
