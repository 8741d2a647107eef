# The game's own dialogs, answered every way a player can: while one is
# open the window's title is "Orvanthe lev 0"; Tab, Left and Right move the
# focus (round the pause's three buttons) and Return chooses the focused button; a click chooses a button;
# choosing Quit ends the game with 0. E2E_WITH_WM=1 runs it under openbox.
source "$(dirname "$0")/lib.sh"
without_monsters

start_xvfb
[[ ${E2E_WITH_WM:-0} == 1 ]] && start_wm
start_game_drawn

title_is() { [[ $(xdotool getwindowname "$GAME_WINDOW" 2>/dev/null) == "$1" ]]; }
wait_title() {
    local deadline=$(( $(now_ms) + $(patient 3000) ))
    until title_is "$1"; do
        (( $(now_ms) < deadline )) || fail "$2 (title: $(xdotool getwindowname "$GAME_WINDOW"))"
        sleep 0.05
    done
}

# Centre of button $1 (0 first, 1 Quit) in window pixels: the dialog
# template's units scaled to the client area and centred in it.
button_point() {
    local w h
    eval "$(xdotool getwindowgeometry --shell "$GAME_WINDOW")"
    w=$WIDTH h=$HEIGHT
    awk -v w="$w" -v h="$h" -v b="$1" 'BEGIN {
        s = w / 800; if (h / 600 < s) s = h / 600
        ux = 1.5 * s; uy = 1.625 * s
        left = (w - 800 * s) / 2 + 100 * ux; top = (h - 600 * s) / 2 + 100 * uy
        cx = left + 2 * ux; cy = top + 2 * ux + 12 * uy
        by = (b == 0) ? 18 : 35
        printf "%d %d\n", cx + (174 + 25) * ux, cy + (by + 7) * uy }'
}

click_button() {
    local x y
    read -r x y < <(button_point "$1")
    xdotool mousemove --window "$GAME_WINDOW" "$x" "$y"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.15
    xdotool mouseup 1
}

# Clicks button $1 until the dialog has gone: a press and release that a
# busy machine takes in one look are no click to the game, so it clicks
# again, never sooner than a patient wait for the first to show.
click_until_closed() {
    local tries=0
    until click_button "$1"; within 1000 box_gone "Orvanthe lev 0"; do
        (( ++tries < 3 )) || fail "$2"
    done
}

# Moves the dialog's focus with key $1, held (and pressed afresh) until the
# drawing shows the move.
move_focus() {
    screenshot focus-before
    hold_until "$1" 2000 screen_differs_from "$E2E_OUT/focus-before.png" 0.01 || fail "$1 did not move the dialog's focus"
}

start_play
wait_title Orvanthe "the title screen is not titled Orvanthe"

# A click on Resume.
open_pause
screenshot pause
click_until_closed 0 "a click on Resume did not close the pause"
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended on Resume"

# The focus goes round and comes back; Return chooses Resume.
focus "$GAME_WINDOW"
open_pause
move_focus Tab
move_focus Tab
move_focus Tab
move_focus Right
move_focus Left
answer_box "Orvanthe lev 0" Return
kill -0 "$GAME_PID" 2>/dev/null || fail "the focus moves ended the game"

# Off the edge; New Game clicked leads back to the title screen.
xdotool keydown Down
wait_title "Orvanthe lev 0" "no dialog after walking off the edge"
xdotool keyup Down
screenshot fell
click_until_closed 0 "a click on New Game did not close the dialog"
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended on New Game"

# Play again; the focus moved to Quit, Return quits.
focus "$GAME_WINDOW"
start_play
open_pause
move_focus Right
answer_box "Orvanthe lev 0" Return
wait_game_exit 3000
expect_exit_code 0

# A click on Quit quits as well.
start_game_drawn
start_play
open_pause
click_until_closed 1 "a click on Quit did not close the dialog"
wait_game_exit 3000
expect_exit_code 0
