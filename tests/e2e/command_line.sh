# The command line: --help and --version answer and end at once, with the
# version written in CMakeLists.txt; a mistake prints the usage and ends
# with 2; --data reads the game's files from the folder given; --mute plays
# nothing at all.
source "$(dirname "$0")/lib.sh"

version=$(sed -n 's/^project(orvanthe VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
[[ -n $version ]] || fail "no project version in CMakeLists.txt"
out=$("$E2E_GAME" --version) || fail "--version ended with $?"
[[ $out == "orvanthe $version" ]] || fail "--version printed '$out', expected 'orvanthe $version'"
out=$("$E2E_GAME" --help) || fail "--help ended with $?"
for option in --fullscreen --windowed --data --mute --max-fps --version; do
    grep -q -- "$option" <<<"$out" || fail "--help does not mention $option"
done

# Mistakes: the usage on stderr, nothing on stdout, exit code 2, no window.
for args in "--bogus" "-x" "--data" "--data /no/such/folder" "--fullscreen --windowed" "stray" \
    "--max-fps" "--max-fps 29" "--max-fps 1001" "--max-fps sixty"; do
    rc=0
    # shellcheck disable=SC2086
    env -u DISPLAY "$E2E_GAME" $args >"$E2E_OUT/mistake.out.log" 2>"$E2E_OUT/mistake.err.log" || rc=$?
    [[ $rc == 2 ]] || fail "'$args' ended with $rc, expected 2"
    grep -q "^Usage: orvanthe" "$E2E_OUT/mistake.err.log" || fail "'$args' printed no usage"
    [[ ! -s $E2E_OUT/mistake.out.log ]] || fail "'$args' printed on stdout"
done

# --data: a copy of the data folder without the sky; run from a folder
# with no data/ of its own, the game names the sky, and only the sky.
cp -r data "$E2E_TMP/mydata"
rm "$E2E_TMP/mydata/sky.bmp"
audio=$E2E_OUT/audio.raw
GAME_ARGS=(--data "$E2E_TMP/mydata" --mute)
pushd "$E2E_TMP" >/dev/null
start_game_on_display SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio"
popd >/dev/null
start_play
xdotool keydown Control_L
sleep 1.6
xdotool keyup Control_L
open_pause
answer_box "Orvanthe lev 0" Escape
wait_game_exit 3000
expect_exit_code 0
problems=$(grep -c '^orvanthe: data/' "$E2E_OUT/game.err.log" || true)
grep -q '^orvanthe: data/sky.bmp: cannot open' "$E2E_OUT/game.err.log" || fail "--data: the missing sky was not named"
[[ $problems == 1 ]] || fail "--data: $problems files named, expected only the sky"

# --mute: music and the shots were mixed, at no volume.
[[ -s $audio ]] || fail "no audio recorded"
peak=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$audio" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
awk -v p="$peak" 'BEGIN { exit !(p == 0) }' || fail "--mute: the recording is not silent (peak $peak)"
