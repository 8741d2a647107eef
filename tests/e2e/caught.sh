# Play until a monster catches the player: turn toward the nearest monster
# and look down at the ground in front, so it stays in view all the way in.
# It wakes three seconds after it is first seen and closes in; when its box
# meets the player the end-of-game box appears. New Game goes back to the
# title screen, where ESC quits with exit code 0. Screenshots of the chase
# are left to look at.
source "$(dirname "$0")/lib.sh"

start_game_on_display
start_play
press Right 0.3
# About 0.38 rad down: the view then reaches 43 degrees below the horizon.
for _ in $(seq 10); do move_mouse 0 190; sleep 0.05; done
sleep 4
screenshot monster-waking
sleep 3
screenshot monster-closing
box=$(find_box "Orvanthe lev 0" 25000) || { screenshot not-caught; fail "no monster caught the player"; }
screenshot caught
answer_box "Orvanthe lev 0" Return
expect_box_closed "Orvanthe lev 0" "Return did not close the box"
quit_from_title
wait_game_exit 3000
expect_exit_code 0
