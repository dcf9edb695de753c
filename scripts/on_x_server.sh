#!/usr/bin/env bash
# Runs one program on an X server of its own: a fresh Xvfb (1600x1000, 24-bit,
# no window manager) and Qt's xcb platform. Every test program is launched
# through this, so its windows are shown, exposed and focused by a real window
# system, and tests that run in parallel never share a server (focus is per
# server).
#
#   scripts/on_x_server.sh PROGRAM [ARGS...]
#
# The sanitizers' options are those of scripts/test.sh (the leak suppressions
# among them) unless already set, so that one test program run through this
# by hand, a randomized test's replay for instance, reports as under ctest.
#
# VORPEL_WINDOW_MANAGER=openbox starts that window manager on the server
# first and waits until it has taken the screen, for the tests of what a
# desktop's window manager does; where it is not installed the program runs
# on the bare server and is told so by the variable being unset.
#
# Xvfb picks a free display number itself (-displayfd), so parallel starts do
# not race for numbers; a server that fails to come up is tried again. The
# server and the window manager get minutes to come up: a busy machine is
# slow, not broken.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "on_x_server: Xvfb is not installed (scripts/setup.sh installs it)" >&2
    exit 1
fi

scratch=$(mktemp -d /tmp/vorpel-x-XXXXXX)
server=""
manager=""
cleanup() {
    if [ -n "$manager" ]; then
        kill "$manager" 2>/dev/null
        wait "$manager" 2>/dev/null
    fi
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null
        wait "$server" 2>/dev/null
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

display=""
for attempt in 1 2 3; do
    : >"$scratch/display"
    Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp -noreset \
        3>"$scratch/display" 2>"$scratch/xvfb.log" &
    server=$!
    # Xvfb writes the number and a newline once it accepts clients.
    for _ in $(seq 1 2400); do
        if read -r display <"$scratch/display" 2>/dev/null && [ -n "$display" ]; then
            break
        fi
        display=""
        kill -0 "$server" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$display" ] && break
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    server=""
    echo "on_x_server: Xvfb did not start (attempt $attempt):" >&2
    cat "$scratch/xvfb.log" >&2
done
if [ -z "$display" ]; then
    echo "on_x_server: no X server" >&2
    exit 1
fi

export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

if [ -n "${VORPEL_WINDOW_MANAGER:-}" ]; then
    if [ "$VORPEL_WINDOW_MANAGER" = openbox ] && command -v openbox >/dev/null 2>&1; then
        # Openbox runs the start-up command once it manages the screen.
        openbox --sm-disable --startup "touch $scratch/manager-ready" \
            >"$scratch/manager.log" 2>&1 &
        manager=$!
        for _ in $(seq 1 2400); do
            [ -e "$scratch/manager-ready" ] && break
            kill -0 "$manager" 2>/dev/null || break
            sleep 0.05
        done
        if [ ! -e "$scratch/manager-ready" ]; then
            echo "on_x_server: openbox did not start:" >&2
            cat "$scratch/manager.log" >&2
            exit 1
        fi
    else
        echo "on_x_server: $VORPEL_WINDOW_MANAGER is not installed here; bare server" >&2
        unset VORPEL_WINDOW_MANAGER
    fi
fi
"$@"
status=$?
exit $status
