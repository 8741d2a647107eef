# SIGTERM or SIGINT while the pause dialog waits for an answer ends the game
# at once with exit code 0, as answering Quit would; the dialog is drawn in
# the game window, whose title says it is open, and goes with the game,
# even when the game is killed.
source "$(dirname "$0")/lib.sh"
without_monsters

start_xvfb
for sig in TERM INT KILL; do
    start_game_drawn
    start_play
    open_pause
    box=$(find_box "Orvanthe lev 0") || fail "ESC during play showed no pause dialog"
    (( box == GAME_WINDOW )) || fail "the pause was a desktop box, not drawn in the game window"
    sent=$(now_ms)
    kill -"$sig" "$GAME_PID"
    # Unanswered, the box would keep the game forever: any end proves the
    # signal was taken. The time is printed; on an idle machine it is far
    # under a second, on a loaded one the bound is patient.
    wait_game_exit 1000
    echo "SIG$sig: the game ended $(( $(now_ms) - sent )) ms after the signal"
    if [[ $sig == KILL ]]; then expect_exit_code 137; else expect_exit_code 0; fi
    expect_box_closed "Orvanthe lev 0" "the pause box stayed on screen after SIG$sig"
done
