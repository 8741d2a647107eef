# With no display at all the game says so on stderr and exits non-zero,
# instead of running invisibly or hanging.
source "$(dirname "$0")/lib.sh"

# An empty runtime dir keeps a desktop's default Wayland socket out of reach.
GAME_RC=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$E2E_TMP" \
    SDL_AUDIODRIVER=dummy timeout 20 "$E2E_GAME" \
    >"$E2E_OUT/game.out.log" 2>"$E2E_OUT/game.err.log" || GAME_RC=$?
[[ $GAME_RC != 124 ]] || fail "still running after 20 s without a display"
[[ $GAME_RC != 0 ]] || fail "exit code 0 without a display"
(( GAME_RC < 128 )) || fail "died by signal $(( GAME_RC - 128 ))"
grep -q '^orvanthe: cannot open a window: ' "$E2E_OUT/game.err.log" || fail "no error line on stderr"
cat "$E2E_OUT/game.err.log"
