# ESC on the title screen ends the game with exit code 0 within 2 s.
source "$(dirname "$0")/lib.sh"

start_game_on_display
pressed=$(now_ms)
quit_from_title
wait_game_exit 2000
expect_exit_code 0
echo "ended $(( $(now_ms) - pressed )) ms after the key went down"
