#!/usr/bin/env bash
# Records the window as a screen shows it, at 30 frames a second, under its own Xvfb with a window
# manager (openbox), and keeps the frames from 0 to 600 ms after an event of the harness: motion
# is judged on what reached the screen, not on what the frozen clock says it should be.
#
#   bench/record_transition.sh OUT_FOLDER EVENT[#N] SECONDS -- build/bench/window_harness ARGS...
#
# EVENT is a name the harness prints ("event NAME SECONDS": add, clear, loop, done, choose); #N
# takes its N-th time (from 1). Records SECONDS of screen, then ends the harness with SIGTERM.
# Writes OUT_FOLDER/recording.nut (unencoded, so that the machine keeps up: large), events.txt and EVENT-N-MMMms.png, MMM being the frame's time
# after the event. Everything started here is ended here, by its own process id.
set -euo pipefail
[ $# -ge 5 ] && [ "$4" = "--" ] || { sed -n 2,11p "$0"; exit 2; }
out=$1; wanted=$2; seconds=$3; shift 4
name=${wanted%%#*}
nth=1
[ "$wanted" != "$name" ] && nth=${wanted#*#}
for tool in Xvfb openbox ffmpeg ffprobe; do
    command -v "$tool" >/dev/null || { echo "record_transition: $tool is missing" >&2; exit 1; }
done
mkdir -p "$out"
size=1200x820

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
manager=
program=
cleanup() {
    if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true; fi
    if [ -n "$manager" ]; then kill "$manager" 2>/dev/null || true; wait "$manager" 2>/dev/null || true; fi
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -f "$display_file"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
display=":$(cat "$display_file")"
DISPLAY="$display" openbox >/dev/null 2>&1 &
manager=$!
sleep 0.5

env -u QT_QPA_PLATFORM DISPLAY="$display" "$@" >"$out/events.txt" &
program=$!
# Frames carry the wall clock, as the harness's events do.
ffmpeg -v error -y -f x11grab -framerate 30 -use_wallclock_as_timestamps 1 -video_size "$size" \
    -i "$display" -frames:v $((seconds * 30)) -copyts -c:v rawvideo \
    "$out/recording.nut"
kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
program=

at=$(awk -v name="$name" -v nth="$nth" '$1 == "event" && $2 == name && ++seen == nth { print $3 }' \
    "$out/events.txt")
[ -n "$at" ] || { echo "record_transition: no event $wanted in $out/events.txt" >&2; exit 1; }
rm -f "$out/$name-$nth-"*ms.png
# Each frame's time after the event, in milliseconds, with its index in the recording.
ffprobe -v error -select_streams v -show_entries frame=pts_time -of default=nw=1:nk=1 \
    "$out/recording.nut" | grep -E '^[0-9.]+$' |
    awk -v at="$at" '{ offset = int(($1 - at) * 1000); if (offset >= 0 && offset <= 600)
                           print NR - 1, offset }' >"$out/frames.txt"
[ -s "$out/frames.txt" ] || { echo "record_transition: no frame after the event" >&2; exit 1; }
first=$(head -n 1 "$out/frames.txt" | cut -d' ' -f1)
last=$(tail -n 1 "$out/frames.txt" | cut -d' ' -f1)
scratch=$(mktemp -d)
ffmpeg -nostdin -v error -y -i "$out/recording.nut" \
    -vf "select=between(n\\,$first\\,$last)" -vsync 0 "$scratch/%d.png"
count=1
while read -r index offset; do
    mv "$scratch/$count.png" "$out/$name-$nth-$(printf %03d "$offset")ms.png"
    count=$((count + 1))
done <"$out/frames.txt"
rm -rf "$scratch" "$out/frames.txt"
ls "$out/$name-$nth-"*ms.png
