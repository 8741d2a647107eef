# The options screen in the real game. O on the title opens it (the window
# is titled "Options" while it stands); Right raises the first row, the
# mouse sensitivity, and ESC leaves it, writing settings.ini. Clicking the
# row's ">" and then "Back" does the same by the mouse alone. Return on
# "Controls" opens the Controls screen. The second run, fullscreen on a
# 3840x1080 screen, clicks at 32:9. Screenshots of both screens are left in
# the output folder for people to look at.
source "$(dirname "$0")/lib.sh"

settings=$E2E_TMP/config/orvanthe/settings.ini
saved_sensitivity() { grep -qx "mouse_sensitivity = $1" "$settings" 2>/dev/null; }

# Centre of a part of options row $1 in window pixels: "more" (the ">"
# arrow) or "button" (an action row), as the screen lays them out: dialog
# units scaled by the window's height and the box centred.
options_point() {
    eval "$(xdotool getwindowgeometry --shell "$GAME_WINDOW")"
    awk -v w="$WIDTH" -v h="$HEIGHT" -v r="$1" -v part="$2" 'BEGIN {
        s = w / 800; if (h / 600 < s) s = h / 600
        ux = 1.5 * s; uy = 1.625 * s
        left = (w - 800 * s) / 2; top = (h - 600 * s) / 2
        border = 2 * ux; caption = 12 * uy
        frameW = 280 * ux + 2 * border; frameH = (6 + 14 * 11 + 14) * uy + caption + 2 * border
        x = left + (800 * s - frameW) / 2; y = top + (600 * s - frameH) / 2
        cx = x + border; cy = y + border + caption + (6 + r * 11 + 5) * uy
        if (part == "more") printf "%d %d\n", cx + (248 + 6) * ux, cy
        else printf "%d %d\n", cx + (100 + 40) * ux, cy }'
}
click_at() {
    local x y
    read -r x y < <(options_point "$1" "$2")
    xdotool mousemove --window "$GAME_WINDOW" "$x" "$y"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.15
    xdotool mouseup 1
}
open_options() {
    wait_steady || fail "the title screen never settled"
    hold_until o 3000 box_open Options || { screenshot no-options; fail "O on the title opened no options"; }
    sleep 0.3
}
# Clicks part $2 of row $1 until the screen shows it, pressing afresh as
# a busy machine may take a quick click for none.
click_until_changed() {
    local tries=0
    screenshot click-before
    until click_at "$1" "$2"; within 1000 screen_differs_from "$E2E_OUT/click-before.png" 0.01; do
        (( ++tries < 3 )) || fail "$3"
    done
}

# Keyboard alone.
start_xvfb 800x600
start_game_drawn
open_options
screenshot options-800x600
hold_until Right 2000 screen_differs_from "$E2E_OUT/options-800x600.png" 0.01 || fail "Right changed no value"
hold_until Escape 3000 box_gone Options || fail "ESC did not leave the options"
within 3000 saved_sensitivity 1.2 || fail "settings.ini does not hold the new sensitivity: $(cat "$settings" 2>&1)"

# The Controls screen, by keys: Up three times from the first row is "Controls".
focus "$GAME_WINDOW"
open_options
for _ in 1 2 3; do press Up 0.15; done
hold_until Return 3000 box_open Controls || fail "Return on Controls opened no Controls screen"
sleep 0.3
screenshot controls-800x600
hold_until Escape 3000 box_open Options || fail "ESC did not leave the Controls screen"
hold_until Escape 3000 box_gone Options || fail "ESC did not leave the options"

# The mouse alone: ">" on the sensitivity, then "Back".
focus "$GAME_WINDOW"
open_options
click_until_changed 0 more "a click on > changed nothing"
tries=0
until click_at 13 button; within 1000 box_gone Options; do
    (( ++tries < 3 )) || fail "a click on Back did not leave the options"
done
within 3000 saved_sensitivity 1.4 || fail "settings.ini does not hold the clicked sensitivity: $(cat "$settings" 2>&1)"
focus "$GAME_WINDOW"
quit_from_title
wait_game_exit 3000
expect_exit_code 0

# 32:9, fullscreen on a bare server: the screens centred, clicks where they stand.
kill "$E2E_XVFB_PID"
wait "$E2E_XVFB_PID" 2>/dev/null || true
start_xvfb 3840x1080
GAME_ARGS+=(--fullscreen)
start_game_drawn
within 5000 eval '[[ $(xdotool getwindowgeometry --shell "$GAME_WINDOW" | grep WIDTH) == WIDTH=3840 ]]' ||
    fail "the game did not cover the 3840x1080 screen"
open_options
screenshot options-3840x1080
click_until_changed 0 more "a click on > at 32:9 changed nothing"
for _ in 1 2 3; do press Up 0.15; done
hold_until Return 3000 box_open Controls || fail "Return on Controls opened no Controls screen at 32:9"
sleep 0.3
screenshot controls-3840x1080
hold_until Escape 3000 box_open Options || fail "ESC did not leave the Controls screen at 32:9"
hold_until Escape 3000 box_gone Options || fail "ESC did not leave the options at 32:9"
within 3000 saved_sensitivity 1.6 || fail "settings.ini does not hold the sensitivity clicked at 32:9"
focus "$GAME_WINDOW"
quit_from_title
wait_game_exit 3000
expect_exit_code 0
