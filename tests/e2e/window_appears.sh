# The game opens one window titled "Orvanthe" with an 800x600 client area
# and draws its title screen (more than the clear colour) into it. Leaves a
# screenshot of the whole screen in the output directory to look at.
source "$(dirname "$0")/lib.sh"

start_game_on_display
[[ $(xdotool getwindowname "$GAME_WINDOW") == Orvanthe ]] || fail "caption is not Orvanthe"
info=$(xwininfo -id "$GAME_WINDOW")
width=$(awk '/^ *Width:/ {print $2}' <<<"$info")
height=$(awk '/^ *Height:/ {print $2}' <<<"$info")
[[ $width == 800 && $height == 600 ]] || fail "client area ${width}x${height}, expected 800x600"
deadline=$(( $(now_ms) + $(patient 5000) ))
while window_colours "$GAME_WINDOW"; (( measured <= 1 )); do
    (( $(now_ms) < deadline )) || { screenshot title; fail "one flat colour: no title screen drawn"; }
    sleep 0.1
done
screenshot title
quit_from_title
wait_game_exit 5000
