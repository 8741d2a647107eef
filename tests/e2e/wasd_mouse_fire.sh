# WASD walk and turn, the left mouse button fires, M mutes; the volumes come
# from the settings file, which the game leaves as it was. The music is set
# to 0 there, so the recording is silent until a shot is fired. With E2E_WM
# set it runs under openbox, where the pointer and focus are the window
# manager's.
source "$(dirname "$0")/lib.sh"
without_monsters

config=$E2E_TMP/config/orvanthe
mkdir -p "$config"
printf '[sound]\nmusic_volume = 0\neffects_volume = 100\n' >"$config/settings.ini"
cp "$config/settings.ini" "$E2E_TMP/settings.before"
audio=$E2E_OUT/audio.raw

# Peak amplitude of the recording from byte $1 on.
peak_from() {
    tail -c +$(( $1 + 1 )) "$audio" | sox -t raw -r 44100 -e signed -b 16 -c 2 - -n stat 2>&1 |
        awk '/Maximum amplitude/ {print $3}'
}
# The recording's length so far, on a whole stereo frame.
recorded() { echo $(( $(stat -c %s "$audio") / 4 * 4 )); }

start_xvfb
[[ -z ${E2E_WM:-} ]] || start_wm
start_game SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio"
find_game_window
focus "$GAME_WINDOW"
wait_drawn "$GAME_WINDOW"
start_play
# Each key is held in short strokes until the screen shows it: the world
# walks in game time, 200 units a second, and one long hold on a busy
# machine walked off the platform, 319 units behind the start, before the
# screenshot that showed the step.
stroke_changed() {
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
    sleep 0.2
    screen_differs_from "$E2E_OUT/before-$1.png" 5
}
for key in w a s d; do
    sleep 0.3
    screenshot "before-$key"
    within 2000 stroke_changed "$key" || { screenshot "after-$key"; fail "holding $key changed nothing on screen"; }
done

# Nothing but the silent music so far.
sleep 0.3
quiet=$(recorded)
[[ $(peak_from 0) == 0.000000 ]] || fail "sound before any shot (music volume 0 in the settings)"
xdotool mousedown 1
sleep 1.6
xdotool mouseup 1
sleep 0.5
peak=$(peak_from "$quiet")
awk -v p="$peak" 'BEGIN { exit !(p > 0.01) }' || fail "holding the mouse button fired no shot (peak $peak)"

# M: the next shots are silent.
press m
sleep 0.3
muted=$(recorded)
xdotool mousedown 1
sleep 1.6
xdotool mouseup 1
sleep 0.5
[[ $(peak_from "$muted") == 0.000000 ]] || fail "shots were heard after M"

open_pause
answer_box "Orvanthe lev 0" Escape
wait_game_exit 3000
expect_exit_code 0
cmp -s "$config/settings.ini" "$E2E_TMP/settings.before" || fail "the settings file was written without a change"
[[ $(ls -A "$config") == settings.ini ]] || fail "files left beside the settings: $(ls -A "$config")"
! grep -q settings "$E2E_OUT/game.err.log" || fail "a warning about a good settings file"
