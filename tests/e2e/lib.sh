# Shared helpers for the end-to-end tests: a private Xvfb display, the real
# game started in the build directory (which holds data/), keys held with
# xdotool, windows and message boxes found by title, and cleanup of every
# process on any exit. A test sources it as
#   source lib.sh GAME_BINARY XCLOSE_BINARY OUTPUT_DIR
# and then calls the functions below; any failed step ends the test.

set -euo pipefail

E2E_GAME=$1
E2E_XCLOSE=$2
E2E_OUT=$3
mkdir -p "$E2E_OUT"
rm -f "$E2E_OUT"/*.png "$E2E_OUT"/*.log
E2E_TMP=$(mktemp -d)
E2E_XVFB_PID=
E2E_WM_PID=
GAME_PID=
GAME_RC=
GAME_WINDOW=
GAME_ARGS=()   # command-line arguments for the game
E2E_ON_EXIT=   # a command the cleanup runs first, set by a test that changed the system
E2E_DEB=       # the package make_package made

e2e_cleanup() {
    local rc=$?
    [[ -n ${E2E_ON_EXIT-} ]] && { eval "$E2E_ON_EXIT" || true; }
    if [[ -n $GAME_PID ]] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill -KILL "$GAME_PID" 2>/dev/null || true
    fi
    if [[ -n $E2E_WM_PID ]]; then
        kill "$E2E_WM_PID" 2>/dev/null || true
        wait "$E2E_WM_PID" 2>/dev/null || true
    fi
    if [[ -n $E2E_XVFB_PID ]]; then
        kill "$E2E_XVFB_PID" 2>/dev/null || true
        wait "$E2E_XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$E2E_TMP"
    exit "$rc"
}
trap e2e_cleanup EXIT
trap 'exit 143' TERM INT
# A step that fails outside fail() still says where.
trap 'echo "FAIL: ${BASH_SOURCE[0]##*/}:$LINENO: $BASH_COMMAND (DISPLAY=${DISPLAY-unset})" >&2' ERR
set -E

# Ends the test as skipped (ctest's SKIP_RETURN_CODE), saying why.
skip() {
    echo "SKIP: $*"
    exit 77
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Waits end as soon as what they wait for happens; their bounds only decide
# how long a failing run takes. CI runs two of these at once beside other
# work, so a bound is four times what an idle machine needs, and more again
# for a sanitized game (E2E_SLOWDOWN, set by the sanitizer build).
patient() { echo $(( $1 * 4 * ${E2E_SLOWDOWN:-1} )); }

fail() {
    echo "FAIL: $*" >&2
    for log in "$E2E_OUT"/game.out.log "$E2E_OUT"/game.err.log; do
        [[ -s $log ]] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
    done
    exit 1
}

# Starts Xvfb on a display number it picks itself (-displayfd: no race
# between tests run in parallel) and waits until it answers. -br: a black
# root instead of the default weave, which would show through a window
# nothing has been drawn into yet. -noreset: a server that resets when its
# last client leaves turns away a game connecting in that moment.
# The screen is 1024x768 unless $1 gives another size (WIDTHxHEIGHT).
start_xvfb() {
    local numberFile=$E2E_TMP/display
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -br -noreset 3>"$numberFile" >"$E2E_OUT/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    local deadline=$(( $(now_ms) + 10000 ))
    # A complete line: the number has been written in full.
    until [[ $(wc -l <"$numberFile" 2>/dev/null) == 1 ]]; do
        kill -0 "$E2E_XVFB_PID" 2>/dev/null || fail "Xvfb did not start (see xvfb.log)"
        (( $(now_ms) < deadline )) || fail "Xvfb chose no display within 10 s"
        sleep 0.05
    done
    export DISPLAY=:$(head -n 1 "$numberFile")
    until xdpyinfo >/dev/null 2>&1; do
        (( $(now_ms) < deadline )) || fail "Xvfb on $DISPLAY does not answer"
        sleep 0.05
    done
}

# Starts openbox, with a configuration of its own, and waits until it
# manages the screen: windows then get decorations and frame extents.
# Owning the screen is not yet mapping windows: openbox first loads its
# fonts, which on a machine with an empty font cache takes minutes while
# every new window stays unmapped. So the font cache is brought up to date
# first, and a probe window must be mapped before the manager counts as up.
start_wm() {
    fc-cache >"$E2E_OUT/fc-cache.log" 2>&1 || fail "fc-cache failed (see fc-cache.log)"
    XDG_CONFIG_HOME=$E2E_TMP XDG_CACHE_HOME=$E2E_TMP openbox --sm-disable >"$E2E_OUT/wm.log" 2>&1 &
    E2E_WM_PID=$!
    local deadline=$(( $(now_ms) + $(patient 10000) ))
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
        kill -0 "$E2E_WM_PID" 2>/dev/null || fail "openbox did not start (see wm.log)"
        (( $(now_ms) < deadline )) || fail "openbox manages nothing after $(patient 10000) ms"
        sleep 0.05
    done
    xmessage -title wm-probe probe >/dev/null 2>&1 &
    local probe=$! probeWindow
    probeWindow=$(find_window '^wm-probe$' 10000) ||
        { kill "$probe"; fail "the window manager's probe window was never created"; }
    within 10000 mapped_by_wm "$probeWindow" ||
        { kill "$probe"; fail "openbox maps no window: a probe window is still unmapped (openbox $(wm_state); see wm.log)"; }
    kill "$probe"
    wait "$probe" 2>/dev/null || true
}

# True once window $1 is viewable; until then it wakes the window manager.
# openbox 3.6 can take a map request into its queue while it is still
# starting up and then sleep in poll() with the request unhandled until some
# other event comes (seen here in about one start in twenty on a busy
# machine). Changing a property of the root window is such an event, and
# harmless to everything else on the display.
mapped_by_wm() {
    viewable "$1" && return 0
    xprop -root -f _E2E_WAKE 32c -set _E2E_WAKE 1 2>/dev/null || true
    return 1
}

# What the window manager's process is doing, for a failure message: its
# state (R running, S sleeping, D in the disk) and the kernel call it waits in.
wm_state() {
    local state wchan
    state=$(awk '/^State:/ {print $2}' "/proc/$E2E_WM_PID/status" 2>/dev/null) || true
    wchan=$(cat "/proc/$E2E_WM_PID/wchan" 2>/dev/null) || true
    echo "state ${state:-unknown}, waiting in ${wchan:-unknown}"
}

# The window is mapped and every ancestor too: it can be read and seen.
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# Plays without monsters: the game reads a copy of data/ (links) that lacks
# the model. Monsters hunt in game time: one seen for three seconds catches
# a player who stays in its view some seconds later, however slow the
# machine, so a test that is not about them must not have to finish first.
without_monsters() {
    local data=$E2E_TMP/no-monsters
    mkdir -p "$data"
    for file in "$PWD"/data/*; do
        [[ ${file##*/} == tris2.md2 ]] || ln -s "$file" "$data/"
    done
    GAME_ARGS+=(--data "$data")
}

# Runs the game in the background; arguments are extra VAR=value settings,
# GAME_ARGS the game's own. Sound goes to the dummy driver and the settings
# file to a private folder unless a setting says otherwise. SIGINT is given
# back its default, which the shell takes from background jobs, so the game
# gets it as it would from a terminal. E2E_PRELOAD (sanitizer
# build, see CMakeLists.txt) is preloaded into the game.
start_game() {
    env --default-signal=INT -u SDL_VIDEODRIVER ${E2E_PRELOAD:+"LD_PRELOAD=$E2E_PRELOAD"} \
        SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$E2E_TMP/config" "$@" "$E2E_GAME" "${GAME_ARGS[@]}" \
        >"$E2E_OUT/game.out.log" 2>"$E2E_OUT/game.err.log" &
    GAME_PID=$!
}

# Prints the id of a window whose name matches the pattern $1, waiting a
# patient bound from $2 ms; returns 1 if none came. Each look is a fresh
# xdotool: one that walks the window tree while a window goes (SDL makes
# and drops a window of its own at start) dies of X's BadWindow, and
# search --sync would die with it.
find_window() {
    local deadline=$(( $(now_ms) + $(patient "${2:-10000}") )) id
    while :; do
        id=$(xdotool search --name "$1" 2>/dev/null | head -n 1) || true
        [[ -n $id ]] && { echo "$id"; return 0; }
        (( $(now_ms) < deadline )) || return 1
        sleep 0.05
    done
}

# Sets GAME_WINDOW to the game's top-level window.
find_game_window() {
    GAME_WINDOW=$(find_window '^Orvanthe$' 10000) || fail "no window titled Orvanthe within $(patient 10000) ms"
}

# Measures the game window: geometry "XxY+WxH" of the client, client "WxH",
# frame (from _NET_FRAME_EXTENTS: left, right, top, bottom), outer "WxH" with
# the frame added, and framed (1 once a window manager has put a frame on).
measure_window() {
    local info extents left right top bottom x y width height
    info=$(xwininfo -id "$GAME_WINDOW")
    x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
    width=$(awk '/^ *Width:/ {print $2}' <<<"$info")
    height=$(awk '/^ *Height:/ {print $2}' <<<"$info")
    extents=$(xprop -id "$GAME_WINDOW" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
    IFS=, read -r left right top bottom <<<"${extents:-0,0,0,0}"
    geometry="${x}x${y}+${width}x${height}"
    client="${width}x${height}"
    frame="left $left right $right top $top bottom $bottom"
    outer="$(( width + left + right ))x$(( height + top + bottom ))"
    framed=$(( left + right + top + bottom > 0 ))
}

# Sets $measured to a number that ImageMagick's format $2 says of window
# $1's pixels. A window that cannot be read (unmapped, gone) fails the test
# at once with import's own words. (Not printed for $(...): a failure in a
# command substitution would end only the subshell, and the caller would
# compare an empty string.)
measured=
window_measure() {
    local shot=$E2E_TMP/measure.png
    import -window "$1" "png:$shot" 2>"$E2E_TMP/import.err" ||
        fail "cannot read window $1: $(head -c 300 "$E2E_TMP/import.err")"
    measured=$(convert "$shot" -format "$2" info: 2>"$E2E_TMP/convert.err") ||
        fail "cannot measure window $1's image: $(head -c 300 "$E2E_TMP/convert.err")"
    [[ $measured =~ ^[0-9]+$ ]] || fail "window $1 measured '$measured', not a number"
}

# Number of distinct colours in a window's pixels, in $measured.
window_colours() { window_measure "$1" '%k'; }

# Largest channel value in a window's pixels, in $measured: 0 while it is
# all black.
window_brightest() { window_measure "$1" '%[max]'; }

# Waits until the window is mapped and no longer all black, i.e. the game
# has swapped a frame (the root is black, see start_xvfb), so keys held
# afterwards reach a running frame loop rather than loading.
wait_drawn() {
    within "${2:-10000}" viewable "$1" || fail "window $1 is never mapped"
    local deadline=$(( $(now_ms) + $(patient "${2:-10000}") ))
    while window_brightest "$1"; (( measured == 0 )); do
        (( $(now_ms) < deadline )) || fail "window $1 stays black: no frame drawn"
        sleep 0.1
    done
}

# Gives window $1 the keyboard focus. X refuses the focus to a window that
# is not viewable (BadMatch): one a window manager has not mapped yet, or
# has unmapped for a moment while it switches fullscreen. So the window
# must be viewable first, and a refused try is made again within a bound.
focus() {
    within 10000 viewable "$1" || fail "window $1 is never mapped, so it cannot take the focus"
    within 5000 timeout 10 xdotool windowfocus --sync "$1" 2>/dev/null || fail "window $1 does not take the focus"
}

# Holds a key long enough for a once-a-frame sample to see it, also when a
# loaded machine draws only a few frames a second.
press() {
    xdotool keydown "$1"
    sleep "${2:-0.25}"
    xdotool keyup "$1"
}

# Relative pointer motion: it reaches the game also in relative mouse mode,
# where absolute moves do not.
move_mouse() { xdotool mousemove_relative -- "$1" "$2"; }

# Sends WM_DELETE_WINDOW, as a window manager's close box does.
close_window() { "$E2E_XCLOSE" "$1"; }

# Prints the id of the top-level window titled exactly $1, waiting up to $2
# ms. The game draws its dialogs in its own window and titles it with the
# dialog's caption while one is open, so "Orvanthe lev 0" finds the game
# window then; a desktop message box (shown only when the font is missing)
# is a window of its own, which xdotool search does not find: xwininfo does.
find_box() {
    local deadline=$(( $(now_ms) + $(patient "${2:-5000}") )) id
    while :; do
        id=$(xwininfo -root -tree | grep -F "\"$1\": (" | awk '{print $1}' | head -n 1)
        [[ -n $id ]] && { echo "$id"; return 0; }
        (( $(now_ms) < deadline )) || return 1
        sleep 0.1
    done
}

screenshot() { import -window root "$E2E_OUT/$1.png"; }

# Waits for the game to end (a patient bound from $1 ms) and sets GAME_RC to
# its exit code.
wait_game_exit() {
    local limit
    limit=$(patient "$1")
    local deadline=$(( $(now_ms) + limit ))
    while kill -0 "$GAME_PID" 2>/dev/null; do
        (( $(now_ms) < deadline )) || fail "the game is still running after $limit ms"
        sleep 0.02
    done
    GAME_RC=0
    wait "$GAME_PID" || GAME_RC=$?
    GAME_PID=
}

expect_exit_code() {
    [[ $GAME_RC == "$1" ]] || fail "exit code $GAME_RC, expected $1"
}

# Starts Xvfb and the game and waits for its first drawn frame.
start_game_on_display() {
    start_xvfb
    start_game_drawn "$@"
}

# Starts the game on the display already running, focuses its window and
# waits for its first drawn frame.
start_game_drawn() {
    start_game "$@"
    find_game_window
    focus "$GAME_WINDOW"
    wait_drawn "$GAME_WINDOW"
}

# The game reads keys once a frame; a machine busy enough can take longer
# over a frame than a fixed hold lasts, and a release and a new press that
# fall into one frame look like one long hold. So a key that should change
# something is held until the change shows, and pressed afresh now and then
# while it does not: hold_until KEY BOUND_MS COMMAND... holds KEY until
# COMMAND succeeds, within a patient bound, and returns 1 otherwise.
hold_until() {
    local key=$1 deadline=$(( $(now_ms) + $(patient "$2") )) again=$(patient 500)
    shift 2
    xdotool keydown "$key"
    local pressed
    pressed=$(now_ms)
    until "$@"; do
        (( $(now_ms) < deadline )) || { xdotool keyup "$key"; return 1; }
        if (( $(now_ms) - pressed > again )); then
            xdotool keyup "$key"
            sleep 0.2
            xdotool keydown "$key"
            pressed=$(now_ms)
        fi
        sleep 0.05
    done
    xdotool keyup "$key"
}

# Waits a patient bound from $1 ms for the command after it to succeed.
within() {
    local deadline=$(( $(now_ms) + $(patient "$1") ))
    shift
    until "$@"; do
        (( $(now_ms) < deadline )) || return 1
        sleep 0.05
    done
}

# Waits, within a patient bound, for two screenshots a moment apart to
# agree: what was shown has settled (a desktop's opening fade, the title's
# first frame with its sky not yet tinted), so a change from it is news.
wait_steady() {
    local deadline=$(( $(now_ms) + $(patient 2000) ))
    screenshot steady
    while :; do
        sleep 0.2
        screen_differs_from "$E2E_OUT/steady.png" 1 || return 0
        cp "$E2E_OUT/now.png" "$E2E_OUT/steady.png"
        (( $(now_ms) < deadline )) || return 1
    done
}

# Starts play from the title screen, once it has settled: ENTER is held
# until the screen is no longer the title.
start_play() {
    wait_steady || fail "the title screen never settled"
    screenshot before-play
    hold_until Return 2000 screen_differs_from "$E2E_OUT/before-play.png" 5 ||
        fail "ENTER on the title screen started no play"
}

# Opens the pause dialog from play: ESC held until the dialog is up.
open_pause() {
    hold_until Escape 3000 box_open "Orvanthe lev 0" || { screenshot no-pause; fail "ESC during play opened no pause dialog"; }
}

# ESC on the title screen ends the game: held until it has.
quit_from_title() {
    hold_until Escape 3000 game_gone || fail "ESC on the title screen did not end the game"
}
game_gone() { ! kill -0 "$GAME_PID" 2>/dev/null; }

# Focuses the dialog titled $1 (the game window, or a desktop box) and holds
# key $2 in it until the box has gone.
answer_box() {
    local box
    box=$(find_box "$1" "${3:-5000}") || fail "no box titled '$1'"
    xdotool windowfocus --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
    hold_until "$2" 2000 box_gone "$1" || fail "$2 did not close the box titled '$1'"
}

# Resumes from the open pause; the focus the box took and gave back (or
# kept) must not pause again. Then ESC pauses as ever and Quit ends with 0.
resume_then_quit() {
    answer_box "Orvanthe lev 0" Return
    sleep 1.5
    box_open "Orvanthe lev 0" && fail "the pause box opened again after Resume"
    focus "$GAME_WINDOW"
    open_pause
    answer_box "Orvanthe lev 0" Escape
    wait_game_exit 3000
    expect_exit_code 0
}

# True while a top-level window titled exactly $1 exists: for a dialog the
# game draws, until the frame after it closes renames the window.
# The tree is read whole first: grep -q would stop reading at the match, and
# under pipefail xwininfo's broken pipe would turn the match into "not open".
box_open() {
    local tree
    tree=$(xwininfo -root -tree) || return 1
    grep -qF "\"$1\": (" <<<"$tree"
}
box_gone() { ! box_open "$1"; }

# The screen now differs from image $1 in more than $2 % of an 800 x 600 window.
screen_differs_from() {
    screenshot now
    images_differ "$1" "$E2E_OUT/now.png" "$2"
}

# Fails unless the box titled $1 goes within a patient bound; $2 says why.
expect_box_closed() {
    local deadline=$(( $(now_ms) + $(patient 2000) ))
    while box_open "$1"; do
        (( $(now_ms) < deadline )) || fail "$2"
        sleep 0.05
    done
}

# Takes screenshot $2 until it differs from $1 in more than $3 % of an
# 800 x 600 window, within a patient bound; fails with $4 otherwise.
expect_screen_change() {
    local deadline=$(( $(now_ms) + $(patient 1000) ))
    while :; do
        screenshot "$2"
        images_differ "$1" "$E2E_OUT/$2.png" "$3" && return 0
        (( $(now_ms) < deadline )) || fail "$4"
        sleep 0.2
    done
}

# Two screenshots differ in more than $3 percent of their pixels.
images_differ() {
    local diff
    diff=$(compare -metric AE -fuzz 5% "$1" "$2" null: 2>&1 || true)
    # Large counts come as 2.07e+06.
    awk -v d="$diff" -v p="$3" 'BEGIN { exit !(d * 100 > p * 800 * 600) }'
}

# Makes the Debian package from the build the game is in, with cpack into a
# private folder, and sets E2E_DEB to it.
make_package() {
    cpack -G DEB --config "$(dirname "$E2E_GAME")/CPackConfig.cmake" -B "$E2E_TMP/pkg" \
        >"$E2E_OUT/cpack.log" 2>&1 || fail "cpack failed: $(tail -n 5 "$E2E_OUT/cpack.log")"
    E2E_DEB=$(echo "$E2E_TMP"/pkg/orvanthe_*.deb)
    [[ -s $E2E_DEB ]] || fail "cpack made no package"
}
