# During play, relative mouse motion turns the view; on the title screen it
# does nothing.
source "$(dirname "$0")/lib.sh"
without_monsters

start_game_on_display
screenshot title-before
move_mouse 200 0
sleep 0.3
screenshot title-after
images_differ "$E2E_OUT/title-before.png" "$E2E_OUT/title-after.png" 1 && fail "the mouse moved something on the title screen"

start_play
sleep 0.3
screenshot look-before
for _ in 1 2 3 4 5; do move_mouse 60 0; sleep 0.05; done
expect_screen_change "$E2E_OUT/look-before.png" look-after 5 "mouse motion did not turn the view"
open_pause
answer_box "Orvanthe lev 0" Escape
wait_game_exit 3000
expect_exit_code 0
