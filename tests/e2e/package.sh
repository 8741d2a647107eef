# The Debian package: cpack makes it from this build; lintian finds neither
# error nor warning in it; its metainfo, desktop entry and manual page pass
# their validators; every icon size is there; the version it carries is the
# one the game prints. Unpacked with dpkg-deb into a folder of its own, the
# game starts from another working directory, finds its data, plays and
# quits from the pause box with exit code 0.
source "$(dirname "$0")/lib.sh"

id=io.github.orvanthe.Orvanthe
make_package
lintian --fail-on error,warning "$E2E_DEB" >"$E2E_OUT/lintian.log" 2>&1 || fail "lintian: $(cat "$E2E_OUT/lintian.log")"
root=$E2E_TMP/root
dpkg-deb -x "$E2E_DEB" "$root"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$E2E_OUT/appstream.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$E2E_OUT/appstream.log")"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "invalid desktop entry"
warnings=$(zcat "$root/usr/share/man/man6/orvanthe.6.gz" | groff -ww -man -z 2>&1)
[[ -z $warnings ]] || fail "manual page: $warnings"
for size in 16 24 32 48 64 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [[ -f $icon && $(identify -format '%wx%h' "$icon") == "${size}x${size}" ]] || fail "no ${size}x${size} icon"
done

E2E_GAME=$root/usr/games/orvanthe
version=$(dpkg-deb -f "$E2E_DEB" Version)
[[ $("$E2E_GAME" --version) == "orvanthe $version" ]] || fail "package $version, but the game says $("$E2E_GAME" --version)"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" || fail "the metainfo has no release $version"

cd "$E2E_TMP"  # no data/ here: the game must find the unpacked one
start_game_on_display
grep -q 'data/' "$E2E_OUT/game.err.log" && fail "unpacked game could not read its data: $(cat "$E2E_OUT/game.err.log")"
screenshot title
start_play
open_pause
screenshot pause
answer_box "Orvanthe lev 0" Escape
wait_game_exit 3000
expect_exit_code 0
