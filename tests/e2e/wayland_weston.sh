# Under Wayland: weston nested in Xvfb (its headless backend has no seat,
# which SDL's Wayland driver cannot start without), the game on SDL's
# Wayland driver. The title shows, ENTER starts play, ESC opens the pause
# dialog drawn in the game, Return resumes, and ESC in the dialog quits
# with 0. Keys reach the game through weston's X11 window.
source "$(dirname "$0")/lib.sh"
without_monsters

start_xvfb
runtime=$E2E_TMP/runtime
mkdir -m 0700 "$runtime"
XDG_RUNTIME_DIR=$runtime weston --backend=x11-backend.so --width=1000 --height=700 --socket=orvanthe-e2e \
    >"$E2E_OUT/weston.log" 2>&1 &
E2E_WM_PID=$!
deadline=$(( $(now_ms) + $(patient 5000) ))
until [[ -S $runtime/orvanthe-e2e ]]; do
    kill -0 "$E2E_WM_PID" 2>/dev/null || fail "weston did not start (see weston.log)"
    (( $(now_ms) < deadline )) || fail "weston opened no socket"
    sleep 0.05
done
weston_window=$(xwininfo -root -tree | grep -F '"Weston Compositor' | awk '{print $1}' | head -n 1)
[[ -n $weston_window ]] || fail "no weston window on the X display"

# Weston fades its desktop in: the game's window is told from it only once
# the desktop stands still.
focus "$weston_window"
wait_steady || fail "weston's desktop never settled"
screenshot empty
start_game XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=orvanthe-e2e SDL_VIDEODRIVER=wayland
focus "$weston_window"
expect_screen_change "$E2E_OUT/empty.png" title 5 "the game drew no title screen under weston"
start_play
expect_screen_change "$E2E_OUT/title.png" play 5 "ENTER did not start play"

press Escape
sleep 0.5
screenshot pause
press Return
sleep 0.5
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended on Resume"

press Escape
sleep 0.5
press Escape
wait_game_exit 3000
expect_exit_code 0
