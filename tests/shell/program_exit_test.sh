#!/usr/bin/env bash
# The program and its command-line tools as a user starts them.
# - Each tool's exit status, the stream it writes to and how its first line
#   starts, for help, usage errors, failures and success (a table below).
# - scripts/on_x_server.sh run by hand sets the sanitizers' options itself.
# - The program on an X server of its own (and no window manager) opens the
#   example filling the screen, File > Exit ends it with status 0 and
#   nothing on standard error.
# (The program's run without a display is tested with the examples.)
# Usage: program_exit_test.sh VORPEL EXAMPLE VORPEL-CAM VORPEL-ROUNDTRIP VORPEL-DXF
set -u
program=$1
example=$2
cam=$3
roundtrip=$4
dxf=$5
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$(mktemp -d /tmp/vorpel-exit-XXXXXX)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; exit 1; }
check() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

export VORPEL_CONFIG_HOME=$scratch/config VORPEL_DOCUMENTS_HOME=$scratch/documents
unset XDG_RUNTIME_DIR QT_QPA_PLATFORM WAYLAND_DISPLAY

# --- The tools --------------------------------------------------------------
# In the scratch folder: a tool that took an option for a name writes there.
cd "$scratch" || fail "no scratch folder"
examples=$(dirname "$example")
symbols=$examples/demo.symbol
drawing=$source_dir/tests/views/dxf/circle_r12.dxf
open_drawing=$source_dir/tests/views/dxf/gap_open_r2000.dxf
folder=$scratch/a-folder
out=$scratch/outputs
mkdir -p "$folder" "$out"
: >"$scratch/blocked"
# One row a case: the tool, its arguments (words as the shell reads them),
# the exit status, the stream that says something (out or err; the other
# stays empty; "-" both empty) and how its first line starts. The program
# itself only where it ends before opening a window.
cases=(
    "vorpel|--help|0|out|usage: vorpel [FILE]"
    "vorpel|-h|0|out|usage: vorpel [FILE]"
    "vorpel|a.circuit b.circuit|2|err|vorpel: too many arguments"
    "vorpel|--nologo a.circuit|2|err|vorpel: unknown option '--nologo'"
    "vorpel|'$folder'|2|err|vorpel: $folder is a folder"
    "vorpel|''|2|err|vorpel: the file name is empty"
    "vorpel-cam|--help|0|out|usage: vorpel-cam PROJECT OUTDIR"
    "vorpel-cam|'$example' -h|0|out|usage: vorpel-cam PROJECT OUTDIR"
    "vorpel-cam||2|err|vorpel-cam: too few arguments"
    "vorpel-cam|'$example' '$out/c' more|2|err|vorpel-cam: too many arguments"
    "vorpel-cam|-x '$example' '$out/c'|2|err|vorpel-cam: unknown option '-x'"
    "vorpel-cam|'$example' ''|2|err|vorpel-cam: the output folder name is empty"
    "vorpel-cam|'' '$out/c'|2|err|vorpel-cam: the project file name is empty"
    "vorpel-cam|'$folder' '$out/c'|2|err|vorpel-cam: $folder is a folder"
    "vorpel-cam|'$scratch/none.circuit' '$out/c'|1|err|vorpel-cam: $scratch/none.circuit: "
    "vorpel-cam|'$example' '$scratch/blocked'|1|err|vorpel-cam: $scratch/blocked: cannot make the folder"
    "vorpel-cam|'$example' '$out/cam'|0|-|"
    "vorpel-roundtrip|--help|0|out|usage: vorpel-roundtrip IN OUT"
    "vorpel-roundtrip|-h|0|out|usage: vorpel-roundtrip IN OUT"
    "vorpel-roundtrip|'$symbols'|2|err|vorpel-roundtrip: too few arguments"
    "vorpel-roundtrip|'$symbols' '$out/a.symbol' '$out/b.symbol'|2|err|vorpel-roundtrip: too many arguments"
    "vorpel-roundtrip|--force '$symbols' '$out/r.symbol'|2|err|vorpel-roundtrip: unknown option '--force'"
    "vorpel-roundtrip|'$symbols' ''|2|err|vorpel-roundtrip: the output file name is empty"
    "vorpel-roundtrip|'' '$out/r.symbol'|2|err|vorpel-roundtrip: the input file name is empty"
    "vorpel-roundtrip|'$symbols' '$out/r.circuit'|2|err|vorpel-roundtrip: $out/r.circuit is not a .symbol file"
    "vorpel-roundtrip|'$example' '$out/r.footprint'|2|err|vorpel-roundtrip: $out/r.footprint is not a .circuit file"
    "vorpel-roundtrip|'$folder' '$out/r.symbol'|2|err|vorpel-roundtrip: $folder is a folder"
    "vorpel-roundtrip|'$scratch/none.symbol' '$out/r.symbol'|1|err|vorpel-roundtrip: $scratch/none.symbol: cannot open the file"
    "vorpel-roundtrip|'$drawing' '$out/r.circuit'|1|err|vorpel-roundtrip: $drawing: not a .circuit, .symbol or .footprint file"
    "vorpel-roundtrip|'$symbols' '$out/r.symbol'|0|-|"
    "vorpel-roundtrip|-- '$symbols' '$out/-r.symbol'|0|-|"
    "vorpel-dxf|--help|0|out|usage: vorpel-dxf PROJECT BOARD DRAWING OUT"
    "vorpel-dxf|-h|0|out|usage: vorpel-dxf PROJECT BOARD DRAWING OUT"
    "vorpel-dxf|'$example' Mainboard '$drawing'|2|err|vorpel-dxf: too few arguments"
    "vorpel-dxf|'$example' Mainboard '$drawing' '$out/d.circuit' x|2|err|vorpel-dxf: too many arguments"
    "vorpel-dxf|-b Mainboard '$example' '$drawing' '$out/d.circuit'|2|err|vorpel-dxf: unknown option '-b'"
    "vorpel-dxf|'$example' Mainboard '$drawing' ''|2|err|vorpel-dxf: the output file name is empty"
    "vorpel-dxf|'' Mainboard '$drawing' '$out/f.circuit'|2|err|vorpel-dxf: the project file name is empty"
    "vorpel-dxf|'$example' Mainboard '' '$out/f.circuit'|2|err|vorpel-dxf: the drawing file name is empty"
    "vorpel-dxf|'$example' Mainboard '$drawing' '$out/d.symbol'|2|err|vorpel-dxf: $out/d.symbol is not a .circuit file"
    "vorpel-dxf|'$folder' Mainboard '$drawing' '$out/d.circuit'|2|err|vorpel-dxf: $folder is a folder"
    "vorpel-dxf|'$example' Mainboard '$folder' '$out/d.circuit'|2|err|vorpel-dxf: $folder is a folder"
    "vorpel-dxf|'$scratch/none.circuit' Mainboard '$drawing' '$out/d.circuit'|1|err|vorpel-dxf: $scratch/none.circuit: "
    "vorpel-dxf|'$example' Other '$drawing' '$out/d.circuit'|1|err|vorpel-dxf: $example: no board named 'Other'"
    "vorpel-dxf|'$example' Mainboard '$scratch/none.dxf' '$out/f.circuit'|1|err|vorpel-dxf: $scratch/none.dxf: cannot open the file"
    "vorpel-dxf|'$example' Mainboard '$open_drawing' '$out/f.circuit'|1|err|vorpel-dxf: $open_drawing: No closed figures found in the file"
    "vorpel-dxf|'$example' Mainboard '$drawing' '$out/d.circuit'|0|-|"
)
for row in "${cases[@]}"; do
    IFS='|' read -r tool args status stream start <<<"$row"
    case $tool in
    vorpel) binary=$program ;;
    vorpel-cam) binary=$cam ;;
    vorpel-roundtrip) binary=$roundtrip ;;
    vorpel-dxf) binary=$dxf ;;
    esac
    eval "words=($args)"
    # No display: the program must end before it would open a window.
    env -u DISPLAY "$binary" "${words[@]}" >"$scratch/stdout" 2>"$scratch/stderr"
    got=$?
    [ "$got" -eq "$status" ] || check "$tool $args: exit status $got, not $status"
    for name in out err; do
        if [ "$name" = "$stream" ]; then
            first=$(head -n1 "$scratch/std$name")
            [ "${first#"$start"}" != "$first" ] ||
                check "$tool $args: std$name starts '$first', not '$start'"
        elif [ -s "$scratch/std$name" ]; then
            check "$tool $args: wrote to std$name: $(head -n1 "$scratch/std$name")"
        fi
    done
    # A usage error names the usage and where the help is.
    if [ "$status" -eq 2 ]; then
        grep -qx "usage: $tool .*" "$scratch/stderr" || check "$tool $args: no usage line"
        grep -qx "Try '$tool --help' for more information." "$scratch/stderr" ||
            check "$tool $args: no hint at --help"
    fi
done
# What the successful runs wrote, and nothing where they were refused.
[ "$(ls "$out/cam" | wc -l)" -eq 17 ] || check "vorpel-cam wrote $(ls "$out/cam" | wc -l) files, not 17"
cmp -s "$symbols" "$out/r.symbol" || check "vorpel-roundtrip did not copy the library"
cmp -s "$symbols" "$out/-r.symbol" || check "vorpel-roundtrip did not write a name after --"
[ -s "$out/d.circuit" ] || check "vorpel-dxf wrote no project"
for refused in r.circuit r.footprint d.symbol f.circuit c; do
    [ ! -e "$out/$refused" ] || check "$refused was written"
done
[ ! -e "$scratch/documents" ] || check "a usage error opened the program"

# --- scripts/on_x_server.sh by hand ----------------------------------------
# Without the options of the test scripts it sets its own, the leak
# suppressions among them; options given stay.
options=$(env -u ASAN_OPTIONS -u LSAN_OPTIONS -u UBSAN_OPTIONS bash \
    "$source_dir/scripts/on_x_server.sh" sh -c 'echo "$ASAN_OPTIONS|$LSAN_OPTIONS|$UBSAN_OPTIONS"')
case $options in
*detect_leaks=1*"|suppressions=$source_dir/scripts/lsan.supp:"*"|"*halt_on_error=1*) ;;
*) check "on_x_server.sh set the options '$options'" ;;
esac
options=$(LSAN_OPTIONS=verbosity=1 bash "$source_dir/scripts/on_x_server.sh" \
    sh -c 'echo "$LSAN_OPTIONS"')
[ "$options" = verbosity=1 ] || check "on_x_server.sh replaced LSAN_OPTIONS by '$options'"
[ "$failures" -eq 0 ] || fail "$failures checks of the tools failed"

# --- The program on an X server ---------------------------------------------

# Xvfb picks a free display number itself and writes it to fd 3.
# The program runs here under the sanitizers' options of a full run (the
# leak suppressions among them), also when ctest is run by hand.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$source_dir/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
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
