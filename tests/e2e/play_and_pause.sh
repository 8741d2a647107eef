# ENTER starts play; the arrows walk and CONTROL fires; ESC opens the pause
# box, Return resumes, and ESC in the box quits with exit code 0. The
# screenshot of play is left for people to look at; the disk audio driver
# records what the game played, which must not be silence.
source "$(dirname "$0")/lib.sh"
without_monsters

audio=$E2E_OUT/audio.raw
start_game_on_display SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio"
screenshot title
start_play
screenshot play-start
press Up 0.5
press Left 0.3
xdotool keydown Control_L
sleep 1.6
screenshot play-firing
xdotool keyup Control_L
images_differ "$E2E_OUT/play-start.png" "$E2E_OUT/play-firing.png" 1 || fail "walking and firing changed nothing on screen"

open_pause
box=$(find_box "Orvanthe lev 0") || fail "ESC during play showed no pause box"
screenshot pause
answer_box "Orvanthe lev 0" Return
expect_box_closed "Orvanthe lev 0" "Return did not close the pause box"
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended on Resume"

open_pause
answer_box "Orvanthe lev 0" Escape
wait_game_exit 3000
expect_exit_code 0

# The music and the shots were mixed: the recording is not silence.
[[ -s $audio ]] || fail "no audio recorded"
rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$audio" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
awk -v r="$rms" 'BEGIN { exit !(r > 0.001) }' || fail "recorded audio is silent (RMS $rms)"
