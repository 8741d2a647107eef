# Data files the game cannot use never stop it: named pipes in place of a
# heightmap, the model and the music, a damaged WAV and a sparse gigabyte
# "sound". The game reaches the title in bounded time, names each file with
# its reason, never takes the gigabyte into memory, and ESC ends it with 0.
source "$(dirname "$0")/lib.sh"

game_dir=$E2E_TMP/game
mkdir -p "$game_dir/data"
for file in "$PWD"/data/*; do ln -s "$file" "$game_dir/data/"; done
for name in t1.bmp tris2.md2 wpqce.wav; do
    rm "$game_dir/data/$name"
    mkfifo "$game_dir/data/$name"
done
rm "$game_dir/data/ugh.wav" "$game_dir/data/explode.wav"
# A WAV header whose format chunk is cut short.
printf 'RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00' >"$game_dir/data/ugh.wav"
truncate -s 1G "$game_dir/data/explode.wav"

start_xvfb
cd "$game_dir"
start_game_drawn
peak_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$GAME_PID/status")
echo "peak resident memory at the title: $(( peak_kb / 1024 )) MB"
quit_from_title
wait_game_exit 2000
expect_exit_code 0

err=$E2E_OUT/game.err.log
for expected in \
    'data/t1.bmp: not a regular file (named pipe)' \
    'data/grass.bmp: not used: data/t1.bmp failed' \
    'data/tris2.md2: not a regular file (named pipe)' \
    'data/model.bmp: not used: data/tris2.md2 failed' \
    'data/wpqce.wav: not a regular file (named pipe)' \
    'data/explode.wav: file too large (1073741824 bytes, at most 67108864)' \
    'data/ugh.wav: cannot decode ('; do
    grep -qF "orvanthe: $expected" "$err" || fail "no line 'orvanthe: $expected'"
done
# Far below the gigabyte an eager read would take.
(( peak_kb < 512 * 1024 )) || fail "peak resident memory $peak_kb kB"
