# `cmake --install` gives a game that starts from any directory, with a
# valid desktop entry and its icons, laid out as Debian lays out games.
source "$(dirname "$0")/lib.sh"

prefix=$E2E_TMP/prefix
id=io.github.orvanthe.Orvanthe
cmake --install "$(dirname "$E2E_GAME")" --prefix "$prefix" >"$E2E_OUT/install.log" || fail "install failed"
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "invalid desktop entry"
[[ -s $prefix/share/icons/hicolor/64x64/apps/$id.png ]] || fail "no icon installed"
[[ -s $prefix/share/games/orvanthe/data/tris2.md2 ]] || fail "no data installed"

E2E_GAME=$prefix/games/orvanthe
cd /
start_game_on_display
# The title screen shows text, which needs the font from the installed data.
grep -q 'data/' "$E2E_OUT/game.err.log" && fail "installed game could not read its data: $(cat "$E2E_OUT/game.err.log")"
quit_from_title
wait_game_exit 3000
expect_exit_code 0
