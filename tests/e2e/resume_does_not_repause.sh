# Without a window manager the focus the pause box takes is not given back
# when it closes: Resume must not be taken for the player leaving the game
# and open the box again. ESC then pauses as ever and Quit ends with 0.
source "$(dirname "$0")/lib.sh"
without_monsters
start_game_on_display
start_play
open_pause
resume_then_quit
