# An audio driver that cannot open leaves the game silent but playable:
# the window appears, ESC still ends it with exit code 0.
source "$(dirname "$0")/lib.sh"

start_game_on_display SDL_AUDIODRIVER=nosuchdriver
quit_from_title
wait_game_exit 2000
expect_exit_code 0
# Proves the failing path really ran rather than a working sound device.
grep -q '^orvanthe: no sound: ' "$E2E_OUT/game.err.log" || fail "no 'no sound' line on stderr"
# The sounds it never read are named too.
grep -q '^orvanthe: data/ugh.wav: not read: no sound device$' "$E2E_OUT/game.err.log" || fail "ugh.wav not named"
