# On a bare X server, with no window manager to grant borderless fullscreen
# (a kiosk, plain Xvfb), on a 1920x1080 screen: F11 lays the window over the
# whole screen and the title screen is drawn to fit it; F11 again brings
# back the 800x600 window where it was. The settings file, written from what
# the game believes, says fullscreen exactly while the window covers the
# screen. Started with --fullscreen, the window covers the screen from the
# start and F11 gives it its own place in the middle.
source "$(dirname "$0")/lib.sh"

screen=0x0+1920x1080
settings=$E2E_TMP/config/orvanthe/settings.ini

start_xvfb 1920x1080
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && fail "a window manager runs on the bare server"

at() { measure_window && [[ $geometry == "$1" ]]; }
saved_fullscreen() { grep -qx "fullscreen = $1" "$settings" 2>/dev/null; }

# The title screen's "ENTER to begin" lines, white, in region $1 (WxH+X+Y)
# of the game window: they stand in the bottom right corner of whatever size
# the game draws at, so they show there only once the projection has
# followed the window. A pixel is as white as its weakest channel: the sky
# is red and black, and what lies outside a stale viewport the clear colour.
# A window that cannot be read fails the test at once.
text_in() {
    local shot=$E2E_TMP/region.png white
    import -window "$GAME_WINDOW" "png:$shot" 2>"$E2E_TMP/import.err" ||
        fail "cannot read the game window: $(head -c 300 "$E2E_TMP/import.err")"
    white=$(convert "$shot" -crop "$1" +repage -separate -evaluate-sequence min -format '%[fx:maxima > 0.5]' info:) ||
        fail "cannot measure region $1 of the game window"
    [[ $white == 1 ]]
}
expect_title_fits() {
    within 2000 text_in "$1" || { screenshot "$2"; fail "$3: no title text in the window's bottom right corner ($1)"; }
}

# F11 and back, from the window the game opened.
start_game_drawn
measure_window
windowed=$geometry
[[ $client == 800x600 && $framed == 0 ]] || fail "at start: the window is $geometry with frame $frame, expected 800x600 unframed"
echo "windowed: $geometry"

hold_until F11 2000 at "$screen" || { screenshot f11-on; fail "F11: the window is at $geometry, not $screen"; }
within 2000 saved_fullscreen true || fail "F11: the settings do not say fullscreen = true"
expect_title_fits 640x270+1280+810 f11-on-drawn "F11"
echo "F11: $geometry"
screenshot fullscreen-title

hold_until F11 2000 at "$windowed" || { screenshot f11-off; fail "F11 again: the window is at $geometry, not back at $windowed"; }
within 2000 saved_fullscreen false || fail "F11 again: the settings do not say fullscreen = false"
expect_title_fits 300x90+500+510 f11-off-drawn "F11 again"
echo "F11 again: $geometry"

quit_from_title
wait_game_exit 3000
expect_exit_code 0

# Started fullscreen: covering the screen at once, and F11 centres the window.
GAME_ARGS=(--fullscreen)
start_game_drawn
within 2000 at "$screen" || { screenshot start-full; fail "--fullscreen: the window is at $geometry, not $screen"; }
expect_title_fits 640x270+1280+810 start-full-drawn "--fullscreen"
hold_until F11 2000 at 560x240+800x600 || { screenshot start-full-off; fail "F11 after --fullscreen: the window is at $geometry, not 560x240+800x600"; }
expect_title_fits 300x90+500+510 start-full-off-drawn "F11 after --fullscreen"

quit_from_title
wait_game_exit 3000
expect_exit_code 0
