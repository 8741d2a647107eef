# Nobody sees an unmapped window: the game draws no frames while it is
# unmapped, and draws again once it is mapped. Frames are counted by their
# caption: every frame sets it again, and `xprop -spy` prints each setting.
source "$(dirname "$0")/lib.sh"

start_game_on_display
spy=$E2E_OUT/captions.log
xprop -spy -id "$GAME_WINDOW" WM_NAME >"$spy" 2>/dev/null &

captions() { wc -l <"$spy"; }

# Waits up to $2 ms for more than $1 captions.
wait_captions_above() {
    local deadline=$(( $(now_ms) + $2 ))
    until (( $(captions) > $1 )); do
        (( $(now_ms) < deadline )) || return 1
        sleep 0.05
    done
}

# Waits up to $2 ms for a stretch of $1 ms without a caption; sets DRAWN to
# the captions counted in the last second.
wait_no_captions_for() {
    local deadline=$(( $(now_ms) + $2 )) last since now count secondStart secondCount
    last=$(captions); since=$(now_ms); secondStart=$since; secondCount=$last; DRAWN=0
    while :; do
        sleep 0.1
        now=$(now_ms); count=$(captions)
        if (( now - secondStart >= 1000 )); then
            DRAWN=$(( count - secondCount )); secondStart=$now; secondCount=$count
        fi
        if (( count != last )); then
            last=$count; since=$now
        elif (( now - since >= $1 )); then
            return 0
        fi
        (( now < deadline )) || return 1
    done
}

wait_captions_above 0 5000 || fail "no caption set: frames cannot be counted"
xdotool windowunmap --sync "$GAME_WINDOW"
wait_no_captions_for 1000 10000 || fail "still drawing while unmapped: $DRAWN frames in the last second"
shown=$(captions)
xdotool windowmap --sync "$GAME_WINDOW"
wait_captions_above "$shown" 5000 || fail "no frames after the window was mapped again"
kill -TERM "$GAME_PID"
wait_game_exit 5000
expect_exit_code 0
