#!/usr/bin/env bash
# Idle CPU of the main view in its resting states: window_harness with the stand-in engine under
# its own Xvfb (1400×900) and openbox, the CPU time of the harness read from /proc over SECONDS
# after the state has settled, printed as a share of one core. A second harness (HARNESS_B, for
# instance one built from an earlier commit) is measured at the same time as the first, on a
# display of its own: on a shared machine the same binary varies by several points from one
# minute to the next, far less between two programs over the same seconds.
#
#   bench/window_idle_cpu.sh [SECONDS] [STATE...]
#   STATES: empty hovered running halfway done failed cancelled minimized covered floor
#   (default: all). The pointer rests outside the window but in `hovered` (over the empty window's
#   drop area). `running` waits at the job's start, `halfway` with its bar half full. `floor`
#   measures, with the first harness only, the floor the running states are read against: the
#   same window with nothing in it but the bar, whose shimmer is redrawn every display frame,
#   beside `running` and `halfway`.
#
# Needs a build with -DCLARIVEX_BUILD_BENCH=ON, Xvfb, openbox, xdotool, xmessage and ffmpeg. A
# benchmark, not a test.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
states=("$@")
[ ${#states[@]} -gt 0 ] ||
    states=(empty hovered running halfway done failed cancelled minimized covered floor)
harnesses=("${HARNESS:-build/bench/window_harness}")
[ -n "${HARNESS_B:-}" ] && harnesses+=("$HARNESS_B")
for harness in "${harnesses[@]}"; do
    [ -x "$harness" ] || { echo "no harness at $harness (-DCLARIVEX_BUILD_BENCH=ON)" >&2; exit 1; }
done
ticks=$(getconf CLK_TCK)

source "$(dirname "$0")/own_display.sh"
work=$(mktemp -d)
# Every process this script started and has not ended yet: servers, window managers, harnesses
# and covering windows.
started=()
# Ended last first: a harness stops its job on a signal, but dies unclean when its X server goes.
stop_all() {
    local index pid
    for ((index = ${#started[@]} - 1; index >= 0; index--)); do
        pid=${started[$index]}
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    started=()
}
cleanup() {
    stop_all
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/tmp"
export HOME="$work/home" TMPDIR="$work/tmp"
unset QT_QPA_PLATFORM
ffmpeg -loglevel error -f lavfi -i testsrc2=size=1600x1200 -frames:v 1 "$work/one.jpg"
ffmpeg -loglevel error -f lavfi -i mandelbrot=size=1600x1200 -frames:v 1 "$work/two.jpg"

# start LABEL HARNESS [VAR=VALUE...] -- [ARGUMENTS...]: a display of its own with a window
# manager, and the harness on it, measured under LABEL by the next `measure`.
labels=()
pids=()
displays=()
start() {
    local label=$1 harness=$2
    shift 2
    local variables=()
    while [ "$1" != "--" ]; do
        variables+=("$1")
        shift
    done
    shift
    start_xvfb 1400x900 || { echo "Xvfb did not start" >&2; exit 1; }
    started+=("$xvfb_pid")
    openbox >/dev/null 2>&1 &
    started+=($!)
    sleep 1
    xdotool mousemove 1399 899
    env "${variables[@]}" "$harness" --stand-in "$@" >/dev/null 2>&1 &
    local pid=$!
    started+=("$pid")
    labels+=("$label")
    pids+=("$pid")
    displays+=("$DISPLAY")
}

# each [VAR=VALUE...] -- [ARGUMENTS...]: starts every harness in the same state.
each() {
    local harness
    for harness in "${harnesses[@]}"; do
        start "$(printf '%-10s %s' "$state" "$harness")" "$harness" "$@"
    done
}

# act ACTION PID: the state's last step, once the harness on this DISPLAY has settled.
act() {
    case $1 in
    hover)
        xdotool search --sync --pid "$2" --name Clarivex mousemove --window %1 400 400 \
            >/dev/null 2>&1 || true
        ;;
    minimize)
        xdotool search --sync --pid "$2" --name Clarivex windowminimize >/dev/null 2>&1 || true
        ;;
    cover)
        # Another window over the whole screen, the running job's window beneath it.
        xmessage -geometry 1400x900+0+0 covering >/dev/null 2>&1 &
        started+=($!)
        ;;
    esac
}

# measure WARM [ACTION]: waits WARM seconds, acts on every started harness, and measures them
# all over the same SECONDS; then ends everything.
measure() {
    local warm=$1 action=${2:-none} index
    sleep "$warm"
    if [ "$action" != none ]; then
        for index in "${!pids[@]}"; do
            DISPLAY=${displays[$index]} act "$action" "${pids[$index]}"
        done
        sleep 2
    fi
    local before=() after=()
    for index in "${!pids[@]}"; do before+=("$(cpu_ticks "${pids[$index]}")"); done
    sleep "$seconds"
    for index in "${!pids[@]}"; do after+=("$(cpu_ticks "${pids[$index]}")"); done
    stop_all
    for index in "${!pids[@]}"; do
        awk -v t=$((after[index] - before[index])) -v hz="$ticks" -v s="$seconds" \
            -v label="${labels[$index]}" \
            'BEGIN { printf "%-51s %.1f %%\n", label, 100 * t / hz / s }'
    done
    labels=()
    pids=()
    displays=()
}

one=$work/one.jpg
two=$work/two.jpg
for state in "${states[@]}"; do
    case $state in
    empty) each --; measure 5 ;;
    hovered) each --; measure 5 hover ;;
    minimized) each --; measure 5 minimize ;;
    covered) each FAKE_ESRGAN_HANG=1 -- "$one"; measure 6 cover ;;
    running) each FAKE_ESRGAN_HANG=1 -- "$one" "$two"; measure 6 ;;
    halfway) each FAKE_ESRGAN_HANG=halfway -- "$one"; measure 6 ;;
    done) each -- "$one"; measure 12 ;;
    failed) each FAKE_ESRGAN_FAIL=1 -- "$one"; measure 6 ;;
    cancelled) each FAKE_ESRGAN_HANG=1 -- --cancel-after 1500 "$one" "$two"; measure 6 ;;
    floor)
        # The bar alone and the two running states beside it, over the same seconds.
        start "bar only" "${harnesses[0]}" -- --bar-only
        start "running beside it" "${harnesses[0]}" FAKE_ESRGAN_HANG=1 -- "$one" "$two"
        start "halfway beside it" "${harnesses[0]}" FAKE_ESRGAN_HANG=halfway -- "$one"
        measure 6
        ;;
    *) echo "unknown state $state" >&2; exit 1 ;;
    esac
done
