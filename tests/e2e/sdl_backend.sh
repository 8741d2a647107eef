# Runs the SDL backend's own tests (orvanthe_sdl_tests, passed in place of
# the game) on a private Xvfb display.
source "$(dirname "$0")/lib.sh"

start_xvfb
env -u SDL_VIDEODRIVER ${E2E_PRELOAD:+"LD_PRELOAD=$E2E_PRELOAD"} SDL_AUDIODRIVER=dummy "$E2E_GAME" >"$E2E_OUT/tests.log" 2>&1 || { cat "$E2E_OUT/tests.log"; fail "SDL backend tests failed"; }
cat "$E2E_OUT/tests.log"
