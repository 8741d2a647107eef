# SIGTERM or SIGINT while a dialog waits for an answer ends the game at once
# with exit code 0, as answering Quit in the box would. The box, shown by a
# process of its own, goes with the game, even when the game is killed.
source "$(dirname "$0")/lib.sh"

start_xvfb
for sig in TERM INT KILL; do
    start_game
    find_game_window
    focus "$GAME_WINDOW"
    wait_drawn "$GAME_WINDOW"
    start_play
    press Escape
    find_box "Orvanthe lev 0" >/dev/null || fail "ESC during play showed no pause box"
    kill -"$sig" "$GAME_PID"
    wait_game_exit_within 1000
    if [[ $sig == KILL ]]; then expect_exit_code 137; else expect_exit_code 0; fi
    expect_box_closed "Orvanthe lev 0" "the pause box stayed on screen after SIG$sig"
done
