# Installs the package for real with apt, as a player would, checks that its
# desktop entry starts the game, and removes it again: afterwards no file
# it brought is left. Only as root on a machine made to be changed, which
# ORVANTHE_THROWAWAY=1 says (a CI runner built for one job); skipped
# otherwise, with the reason.
source "$(dirname "$0")/lib.sh"

id=io.github.orvanthe.Orvanthe
[[ $(id -u) == 0 ]] || skip "installing a package needs root"
[[ ${ORVANTHE_THROWAWAY-} == 1 ]] || skip "it installs into the system; set ORVANTHE_THROWAWAY=1 on a throw-away machine"
dpkg-query -W -f='${Status}' orvanthe 2>/dev/null | grep -q 'ok installed' &&
    skip "orvanthe is installed already, and this test would remove it"

make_package
# The package's paths, and which of them (shared folders) exist beforehand.
dpkg-deb -c "$E2E_DEB" | awk '{print substr($6, 2)}' | sed 's,/$,,' | grep . | sort >"$E2E_TMP/paths"
while read -r path; do [[ -e $path ]] && echo "$path"; done <"$E2E_TMP/paths" >"$E2E_TMP/before"

export DEBIAN_FRONTEND=noninteractive
E2E_ON_EXIT='apt-get purge -y -q orvanthe >/dev/null 2>&1'
apt-get install -y -q "$E2E_DEB" >"$E2E_OUT/apt-install.log" 2>&1 || fail "apt install: $(tail -n 5 "$E2E_OUT/apt-install.log")"
dpkg -L orvanthe >"$E2E_OUT/dpkg-L.txt" || fail "dpkg knows no orvanthe after the install"
grep -qx /usr/games/orvanthe "$E2E_OUT/dpkg-L.txt" || fail "dpkg -L lists no /usr/games/orvanthe"
desktop-file-validate "/usr/share/applications/$id.desktop" || fail "invalid installed desktop entry"

# Start it as the menu does: the entry's Exec line, on a login PATH, from $HOME.
exec_line=$(sed -n 's/^Exec=//p' "/usr/share/applications/$id.desktop")
E2E_GAME=$(PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games command -v "$exec_line") ||
    fail "the desktop entry's command '$exec_line' is not on the PATH"
cd "$E2E_TMP"
start_game_on_display
grep -q 'data/' "$E2E_OUT/game.err.log" && fail "installed game could not read its data: $(cat "$E2E_OUT/game.err.log")"
quit_from_title
wait_game_exit 3000
expect_exit_code 0

apt-get purge -y -q orvanthe >"$E2E_OUT/apt-purge.log" 2>&1 || fail "apt purge: $(tail -n 5 "$E2E_OUT/apt-purge.log")"
E2E_ON_EXIT=
dpkg -L orvanthe >/dev/null 2>&1 && fail "dpkg still lists orvanthe's files after the purge"
while read -r path; do [[ -e $path ]] && echo "$path"; done <"$E2E_TMP/paths" >"$E2E_TMP/after"
left=$(comm -13 "$E2E_TMP/before" "$E2E_TMP/after")
[[ -z $left ]] || fail "left behind after the purge: $left"
