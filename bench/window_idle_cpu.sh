#!/usr/bin/env bash
# Idle CPU of the main view in its resting states: window_harness with the stand-in engine under
# its own Xvfb (1400×900) and openbox, the CPU time of the harness read from /proc over SECONDS
# after the state has settled, printed as a share of one core. A second harness (HARNESS_B, for
# instance one built from an earlier commit) is measured alternately with the first, so that
# both see the same machine.
#
#   bench/window_idle_cpu.sh [SECONDS] [STATE...]
#   STATES: empty hovered running halfway done failed cancelled minimized covered (default: all)
#   The pointer rests outside the window but in `hovered` (over the empty window's drop area).
#   `running` waits at the job's start, `halfway` with its bar half full.
#
# Needs a build with -DCLARIVEX_BUILD_BENCH=ON, Xvfb, openbox, xdotool, xmessage and ffmpeg. A
# benchmark, not a test: on a shared machine two runs of one binary differ by a point or more.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
states=("$@")
[ ${#states[@]} -gt 0 ] || states=(empty hovered running halfway done failed cancelled minimized covered)
harnesses=("${HARNESS:-build/bench/window_harness}")
[ -n "${HARNESS_B:-}" ] && harnesses+=("$HARNESS_B")
for harness in "${harnesses[@]}"; do
    [ -x "$harness" ] || { echo "no harness at $harness (-DCLARIVEX_BUILD_BENCH=ON)" >&2; exit 1; }
done
ticks=$(getconf CLK_TCK)

source "$(dirname "$0")/own_display.sh"
work=$(mktemp -d)
wm=
cleanup() {
    for pid in $wm $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/tmp"
export HOME="$work/home" TMPDIR="$work/tmp"
ffmpeg -loglevel error -f lavfi -i testsrc2=size=1600x1200 -frames:v 1 "$work/one.jpg"
ffmpeg -loglevel error -f lavfi -i mandelbrot=size=1600x1200 -frames:v 1 "$work/two.jpg"

start_xvfb 1400x900 || { echo "Xvfb did not start" >&2; exit 1; }
unset QT_QPA_PLATFORM
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# measure HARNESS WARM-UP ACTION [VAR=VALUE...] -- [ARGUMENTS...]
measure() {
    local harness=$1 warm=$2 action=$3
    shift 3
    local variables=()
    while [ "$1" != "--" ]; do
        variables+=("$1")
        shift
    done
    shift
    env "${variables[@]}" "$harness" --stand-in "$@" >/dev/null 2>&1 &
    local pid=$!
    local cover=
    xdotool mousemove 1399 899
    sleep "$warm"
    case $action in
    hover)
        xdotool search --sync --pid "$pid" --name Clarivex mousemove --window %1 400 400 \
            >/dev/null 2>&1 || true
        sleep 2
        ;;
    minimize)
        xdotool search --sync --pid "$pid" --name Clarivex windowminimize >/dev/null 2>&1 || true
        sleep 2
        ;;
    cover)
        # Another window over the whole screen, the running job's window beneath it.
        xmessage -geometry 1400x900+0+0 covering >/dev/null 2>&1 &
        cover=$!
        sleep 2
        ;;
    esac
    local start end
    start=$(cpu_ticks "$pid")
    sleep "$seconds"
    end=$(cpu_ticks "$pid")
    [ -z "$cover" ] || kill "$cover" 2>/dev/null || true
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    awk -v t=$((end - start)) -v hz="$ticks" -v s="$seconds" 'BEGIN { printf "%.1f %%", 100 * t / hz / s }'
}

for state in "${states[@]}"; do
    for harness in "${harnesses[@]}"; do
        case $state in
        empty) figure=$(measure "$harness" 5 none --) ;;
        hovered) figure=$(measure "$harness" 5 hover --) ;;
        minimized) figure=$(measure "$harness" 5 minimize --) ;;
        covered) figure=$(measure "$harness" 6 cover FAKE_ESRGAN_HANG=1 -- "$work/one.jpg") ;;
        running) figure=$(measure "$harness" 6 none FAKE_ESRGAN_HANG=1 -- "$work/one.jpg" "$work/two.jpg") ;;
        halfway) figure=$(measure "$harness" 6 none FAKE_ESRGAN_HANG=halfway -- "$work/one.jpg") ;;
        done) figure=$(measure "$harness" 12 none -- "$work/one.jpg") ;;
        failed) figure=$(measure "$harness" 6 none FAKE_ESRGAN_FAIL=1 -- "$work/one.jpg") ;;
        cancelled)
            figure=$(measure "$harness" 6 none FAKE_ESRGAN_HANG=1 -- --cancel-after 1500 \
                "$work/one.jpg" "$work/two.jpg")
            ;;
        *) echo "unknown state $state" >&2; exit 1 ;;
        esac
        printf '%-10s %-40s %s\n' "$state" "$harness" "$figure"
    done
done
