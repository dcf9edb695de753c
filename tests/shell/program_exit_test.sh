#!/usr/bin/env bash
# The program as a user starts it: on an X server of its own (and no window
# manager) it opens the example filling the screen, File > Exit ends it with
# status 0 and nothing on standard error.
# (The run without a display is tested with the examples.)
# Usage: program_exit_test.sh VORPEL EXAMPLE
set -u
program=$1
example=$2
scratch=$(mktemp -d /tmp/vorpel-exit-XXXXXX)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

export VORPEL_CONFIG_HOME=$scratch/config VORPEL_DOCUMENTS_HOME=$scratch/documents
unset XDG_RUNTIME_DIR QT_QPA_PLATFORM WAYLAND_DISPLAY

# Xvfb picks a free display number itself and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
# Every wait below is for the event itself, for minutes: a busy machine is
# slow, not broken.
for _ in $(seq 1 1200); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || fail "no X server"
export DISPLAY=:$(head -n1 "$scratch/display")

"$program" "$example" >"$scratch/out" 2>"$scratch/err" &
pid=$!
window=$(timeout 300 xdotool search --sync --onlyvisible --class '^vorpel$' | head -n1)
[ -n "$window" ] || fail "no main window"
# Maximised: the whole 1600x1000 screen, even with nobody to maximise it.
for _ in $(seq 1 1200); do
    geometry=$(xdotool getwindowgeometry --shell "$window")
    echo "$geometry" | grep -qx 'WIDTH=1600' && echo "$geometry" | grep -qx 'HEIGHT=1000' && break
    sleep 0.1
done
echo "$geometry" | grep -qx 'WIDTH=1600' || fail "not maximised: $geometry"
echo "$geometry" | grep -qx 'HEIGHT=1000' || fail "not maximised: $geometry"
# The File menu of the menu bar, once it is shown (a window of its own), then
# its Exit item by its mnemonic.
shown() { xdotool search --onlyvisible --class '^vorpel$' 2>/dev/null | wc -l; }
xdotool mousemove --window "$window" 25 14 click 1
for _ in $(seq 1 1200); do [ "$(shown)" -gt 1 ] && break; sleep 0.1; done
[ "$(shown)" -gt 1 ] || fail "the File menu did not open"
xdotool key x
for _ in $(seq 1 1800); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    fail "File > Exit did not end the program"
fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status after File > Exit"
if [ -s "$scratch/err" ]; then
    cat "$scratch/err"
    fail "the program wrote to standard error"
fi

echo "1 passed, 0 failed"
