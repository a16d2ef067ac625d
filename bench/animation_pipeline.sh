#!/usr/bin/env bash
# An animated GIF of FRAMES frames at 320×240 enlarged ×2 with the test stand-in engine: the
# whole run's time and its cost a frame, the peak resident memory, the most the temporary folder
# held at once (sampled every 0.1 s), and the result's size. Memory and the temporary folder
# should stay flat as FRAMES grows: frames are decoded, enlarged and written a chunk at a time.
#
#   bench/animation_pipeline.sh [build folder] [FRAMES]
#
# A benchmark, not a test: the figures depend on the machine and on what else runs on it.
set -euo pipefail
build=$(realpath "${1:-build}")
frames=${2:-200}
source "$(dirname "$0")/stand_in_setup.sh"
ln -s "$standin" "$engine/realesrgan-ncnn-vulkan"
command -v ffmpeg >/dev/null || { echo "ffmpeg is missing"; exit 1; }

ffmpeg -v error -f lavfi -i "testsrc=size=320x240:rate=25" -frames:v "$frames" "$work/clip.gif"

peak_file="$work/peak-kb"
echo 0 >"$peak_file"
(
    peak=0
    while :; do
        used=$(du -sk "$TMPDIR" 2>/dev/null | cut -f1)
        [ "${used:-0}" -gt "$peak" ] && peak=$used && echo "$peak" >"$peak_file"
        sleep 0.1
    done
) &
sampler=$!
trap 'kill "$sampler" 2>/dev/null || true; wait "$sampler" 2>/dev/null || true; rm -rf "$work"' EXIT

start=$(date +%s%N)
/usr/bin/time -f "%M" -o "$work/rss-kb" "$clarivex" --cli "$work/clip.gif" --target x2 \
    --no-pictures >"$work/out"
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
kill "$sampler" 2>/dev/null || true
wait "$sampler" 2>/dev/null || true

kept=$(ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 \
    "$work/clip-2x.png")
echo "frames: $frames in, $kept out (640×480 each)"
echo "whole run: $elapsed_ms ms, $((elapsed_ms / frames)) ms a frame"
echo "peak resident memory: $(($(cat "$work/rss-kb") / 1024)) MB"
echo "most the temporary folder held: $(($(cat "$peak_file") / 1024)) MB"
echo "result: $(($(stat -c %s "$work/clip-2x.png") / 1024 / 1024)) MB"
