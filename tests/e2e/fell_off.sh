# Walking backwards off the platform's edge shows the end-of-game box; New
# Game (Return) goes back to the title screen, where ESC quits with 0.
source "$(dirname "$0")/lib.sh"
without_monsters

start_game_on_display
start_play
xdotool keydown Down
box=$(find_box "Orvanthe lev 0" 8000) || { xdotool keyup Down; fail "no box after walking off the edge"; }
xdotool keyup Down
screenshot fell
answer_box "Orvanthe lev 0" Return
expect_box_closed "Orvanthe lev 0" "Return did not close the box"
# Back on the title: ESC quits rather than pausing.
quit_from_title
wait_game_exit 3000
expect_exit_code 0
