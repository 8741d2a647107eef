# Bare taps, a press and release sent together (xdotool key), as a quick
# finger on a slow frame: each acts once, none is lost. ENTER starts play,
# F11 goes fullscreen and back, ESC pauses, and ESC in the pause quits.
# Each tap is sent once; the waits are for its effect.
source "$(dirname "$0")/lib.sh"
without_monsters

start_xvfb 1920x1080
start_game_drawn
screenshot title

xdotool key Return
within 3000 screen_differs_from "$E2E_OUT/title.png" 5 || fail "a tapped ENTER on the title started no play"

covers_screen() { measure_window && [[ $geometry == 0x0+1920x1080 ]]; }
xdotool key F11
within 3000 covers_screen || fail "a tapped F11 did not go fullscreen (the window is at $geometry)"
xdotool key F11
within 3000 eval '! covers_screen' || fail "a second tapped F11 did not come back to the window"
focus "$GAME_WINDOW"

xdotool key Escape
within 3000 box_open "Orvanthe lev 0" || { screenshot no-pause; fail "a tapped ESC in play opened no pause"; }
xdotool key Escape
wait_game_exit 3000
expect_exit_code 0
