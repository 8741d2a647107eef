# Without its font the game cannot draw its dialogs: the pause is then the
# desktop's message box, a window of its own with the dialog's caption, and
# ESC in it quits with 0.
source "$(dirname "$0")/lib.sh"

game_dir=$E2E_TMP/game
mkdir -p "$game_dir/data"
for file in "$PWD"/data/*; do ln -s "$file" "$game_dir/data/"; done
rm "$game_dir/data/f.glf"

start_xvfb
cd "$game_dir"
start_game_drawn
start_play
open_pause
box=$(find_box "Orvanthe lev 0") || fail "ESC during play showed no pause box"
(( box != GAME_WINDOW )) || fail "a dialog was drawn in the game window without the font"
answer_box "Orvanthe lev 0" Escape
wait_game_exit 3000
expect_exit_code 0
grep -q "f.glf" "$E2E_OUT/game.err.log" || fail "the missing font was not named"
