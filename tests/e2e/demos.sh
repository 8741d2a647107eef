# A game recorded by the real binary (--record: a pause, shots, a fall, a
# new game and ESC on the title) plays back to the same end state in the
# window (--play, the player's keys ignored) and as fast as it draws
# (--timedemo, without a window manager or a sound device), which prints its
# figures. ESC stops a replay; a file that is no demo of this game is
# refused with one line and exit code 1, before any window opens.
source "$(dirname "$0")/lib.sh"
# The monsters' rules replay too: they see the player, wake and stand in
# the recording's view, whatever the window.
data_args=()

demo=$E2E_TMP/game.demo
# The end a run printed: "ticks|state" from its stdout.
end_of_run() {
    sed -nE 's/.* ([0-9]+) ticks( recorded)?,.* end state ([0-9a-f]{16}).*/\1|\3/p' "$E2E_OUT/game.out.log" | tail -n 1
}

# ---- record ----
GAME_ARGS+=(--record "$demo")
start_game_on_display
start_play
xdotool keydown Control
move_mouse 40 0
sleep 1
open_pause
answer_box "Orvanthe lev 0" Return
expect_box_closed "Orvanthe lev 0" "Return did not resume"
focus "$GAME_WINDOW"
xdotool keydown Control keydown Down
box=$(find_box "Orvanthe lev 0" 8000) || { xdotool keyup Down keyup Control; fail "no box after walking off the edge"; }
xdotool keyup Down keyup Control
answer_box "Orvanthe lev 0" Return
expect_box_closed "Orvanthe lev 0" "Return did not close the box"
quit_from_title
wait_game_exit 3000
expect_exit_code 0
recorded=$(end_of_run)
[[ -n $recorded ]] || fail "the recording said nothing of what it holds"
[[ ${recorded%%|*} -gt 50 ]] || fail "only ${recorded%%|*} ticks recorded"
cp "$demo" "$E2E_OUT/game.demo"

# ---- play back in the window: the player's keys change nothing ----
GAME_ARGS=("${data_args[@]}" --play "$demo")
start_game_drawn
xdotool keydown Up
sleep 1
screenshot replaying
xdotool keyup Up
wait_game_exit 30000
expect_exit_code 0
replayed=$(end_of_run)
[[ $replayed == "$recorded" ]] || fail "--play ended at '$replayed', the recording at '$recorded'"

# ---- timed, with no sound device ----
GAME_ARGS=("${data_args[@]}" --timedemo "$demo")
start_game SDL_AUDIODRIVER=none-here
wait_game_exit 30000
expect_exit_code 0
timed=$(end_of_run)
[[ $timed == "$recorded" ]] || fail "--timedemo ended at '$timed', the recording at '$recorded'"
grep -qE '^timedemo: [0-9]+ frames, [0-9.]+ seconds, [0-9.]+ frames per second, ms per frame p50 [0-9.]+ / p99 [0-9.]+$' \
    "$E2E_OUT/game.out.log" || fail "--timedemo printed no figures"
grep -F timedemo: "$E2E_OUT/game.out.log"

# ---- ESC stops a replay ----
GAME_ARGS=("${data_args[@]}" --play "$demo")
start_game_drawn
hold_until Escape 3000 game_gone || fail "ESC did not stop the replay"
wait_game_exit 1000
expect_exit_code 0
grep -q "stopped after" "$E2E_OUT/game.out.log" || fail "the stopped replay did not say so"

# ---- refusals, one line each ----
refused() {
    GAME_ARGS=(--play "$1")
    start_game
    wait_game_exit 5000
    expect_exit_code 1
    [[ $(wc -l <"$E2E_OUT/game.err.log") == 1 ]] || fail "more than one line for $2"
    grep -qF "$2" "$E2E_OUT/game.err.log" || fail "'$(cat "$E2E_OUT/game.err.log")' does not say '$2'"
}
printf 'ORVD not a demo at all' >"$E2E_TMP/garbage.demo"
refused "$E2E_TMP/garbage.demo" "another format version"
printf 'MZ\x90\x00' >"$E2E_TMP/other.demo"
refused "$E2E_TMP/other.demo" "not a demo"
head -c 40 "$demo" >"$E2E_TMP/cut.demo"
refused "$E2E_TMP/cut.demo" "cut short"
# The version is the header's bytes 7 on, after its length at 6.
version_length=$(od -An -tu1 -j6 -N1 "$demo" | tr -d ' ')
{ head -c 7 "$demo"; printf '9%.0s' $(seq "$version_length"); tail -c +$((8 + version_length)) "$demo"; } >"$E2E_TMP/future.demo"
refused "$E2E_TMP/future.demo" "made by version $(printf '9%.0s' $(seq "$version_length")) of the game"
refused "$E2E_TMP/missing.demo" "not played"
# No game won yet: nothing to play as the best.
GAME_ARGS=(--play-best)
start_game XDG_DATA_HOME="$E2E_TMP/data"
wait_game_exit 5000
expect_exit_code 1
grep -qF "no best run to play yet" "$E2E_OUT/game.err.log" || fail "--play-best without a best said '$(cat "$E2E_OUT/game.err.log")'"
