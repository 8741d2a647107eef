# Closing the window the way a window manager's close box does ends the
# game with exit code 0.
source "$(dirname "$0")/lib.sh"

start_game_on_display
close_window "$GAME_WINDOW"
wait_game_exit 5000
expect_exit_code 0
