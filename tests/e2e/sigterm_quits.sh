# SIGTERM (a session logout, `kill`) closes the game like the close box:
# exit code 0, not a death by signal.
source "$(dirname "$0")/lib.sh"

start_game_on_display
kill -TERM "$GAME_PID"
wait_game_exit 5000
expect_exit_code 0
