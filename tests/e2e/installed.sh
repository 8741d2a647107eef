# `cmake --install` gives a game that starts from any directory, with a
# valid desktop entry and its icon.
source "$(dirname "$0")/lib.sh"

prefix=$E2E_TMP/prefix
cmake --install "$(dirname "$E2E_GAME")" --prefix "$prefix" >"$E2E_OUT/install.log" || fail "install failed"
desktop-file-validate "$prefix/share/applications/orvanthe.desktop" || fail "invalid desktop entry"
[[ -s $prefix/share/icons/hicolor/64x64/apps/orvanthe.png ]] || fail "no icon installed"
[[ -s $prefix/share/orvanthe/data/tris2.md2 ]] || fail "no data installed"

E2E_GAME=$prefix/bin/orvanthe
cd /
start_game_on_display
# The title screen shows text, which needs the font from the installed data.
grep -q 'data/' "$E2E_OUT/game.err.log" && fail "installed game could not read its data: $(cat "$E2E_OUT/game.err.log")"
quit_from_title
wait_game_exit 3000
expect_exit_code 0
