#!/usr/bin/env bash
# Idle CPU use of the component gallery with every animation running: the backdrop, the glow
# bar shimmer, both pixel-resolve emblems. Starts the gallery (under its own Xvfb when there is
# one, else on Qt's offscreen platform), lets it settle, then reads the CPU time of the gallery
# (and of Xvfb) from /proc over a window of SECONDS and prints it as a share of one core.
#
#   bench/gallery_idle_cpu.sh [GALLERY] [SECONDS]
#
# A benchmark, not a test: the figure depends on the machine and on what else runs on it.
set -euo pipefail
cd "$(dirname "$0")/.."

gallery=${1:-build/src/ui/gallery/clarivex-gallery}
seconds=${2:-10}
warmup=3
ticks=$(getconf CLK_TCK)

if [ ! -x "$gallery" ]; then
    echo "no gallery at $gallery; build it with: cmake --build build --target clarivex-gallery" >&2
    exit 1
fi

source "$(dirname "$0")/own_display.sh"
gallery_pid=
# Both children are ended by their own ids, whatever happened before; a killed child's status
# must not stop the cleanup half-way (set -e), or Xvfb would outlive us.
stop() {
    if [ -n "$1" ]; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}
cleanup() {
    stop "$gallery_pid"
    stop "$xvfb_pid"
}
trap cleanup EXIT

platform=offscreen
if command -v Xvfb >/dev/null && start_xvfb 1600x1000; then
    platform=xcb
fi

QT_QPA_PLATFORM=$platform "$gallery" --seconds $((warmup + seconds + 5)) >/dev/null 2>&1 &
gallery_pid=$!
sleep "$warmup"

gallery_start=$(cpu_ticks "$gallery_pid")
[ -n "$xvfb_pid" ] && xvfb_start=$(cpu_ticks "$xvfb_pid")
sleep "$seconds"
gallery_end=$(cpu_ticks "$gallery_pid")
[ -n "$xvfb_pid" ] && xvfb_end=$(cpu_ticks "$xvfb_pid")

share() { awk -v t="$1" -v hz="$ticks" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * t / hz / s }'; }
echo "platform: $platform, window: ${seconds} s after ${warmup} s of warm-up"
echo "gallery: $(share $((gallery_end - gallery_start)))% of one core"
if [ -n "$xvfb_pid" ]; then
    echo "Xvfb:    $(share $((xvfb_end - xvfb_start)))% of one core"
fi
