# Without a window manager the focus the pause box takes is not given back
# when it closes: Resume must not be taken for the player leaving the game
# and open the box again. ESC then pauses as ever and Quit ends with 0.
source "$(dirname "$0")/lib.sh"
start_game_on_display
start_play
open_pause
answer_box "Orvanthe lev 0" Return
expect_box_closed "Orvanthe lev 0" "Return did not close the pause box"
sleep 1.5
box_open "Orvanthe lev 0" && fail "the pause box opened again after Resume"
focus "$GAME_WINDOW"
open_pause
answer_box "Orvanthe lev 0" Escape
wait_game_exit 3000
expect_exit_code 0
