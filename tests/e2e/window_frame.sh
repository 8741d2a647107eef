# Under a window manager that reports its decorations (openbox here) the
# window measures 800x600 outside, frame and caption included, so the
# drawing area is smaller. Without one the drawing area is 800x600
# (window_appears).
source "$(dirname "$0")/lib.sh"

start_xvfb
start_wm
start_game
find_game_window
wait_drawn "$GAME_WINDOW"

# The window manager may settle the frame a few events after the first
# frame: wait for it, a bounded time.
deadline=$(( $(now_ms) + 5000 ))
until measure_window && (( framed )) && [[ $outer == 800x600 ]]; do
    (( $(now_ms) < deadline )) || { screenshot framed; fail "outer size $outer (client $client, frame $frame), expected 800x600"; }
    sleep 0.1
done
echo "client $client, frame $frame, outer $outer"
screenshot framed
kill -TERM "$GAME_PID"
wait_game_exit 5000
expect_exit_code 0
