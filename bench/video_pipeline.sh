#!/usr/bin/env bash
# What the streaming video path costs besides the network, on camera-like 320×180 clips at
# 30 fps with sound, target ×2, through `clarivex --cli`:
#
# 1. Disk: the peak size of the working folder for a 10 s and a 60 s clip. Only the encoded
#    file grows with the length; the frames on disk are a few chunks whatever the length.
# 2. Overlap: an engine that copies ready frames (enlarged ×2 beforehand) and then sleeps as
#    long as the encoder needs for one chunk, so that network and encoder cost the same. Its
#    idle share is the gaps between one chunk's end and the next chunk's start over the time
#    from the first start to the last end; the whole run is set against the longer of the two
#    sides alone (the engine's own time, and ffmpeg encoding the same frames from a pipe).
# 3. The test stand-in that really enlarges (libvips: PNG decode, enlarge, PNG encode) on the
#    10 s clip; with a second clarivex (for example the previous build) both are timed, one
#    after the other, on the same machine. This stand-in works on the CPU, where it competes
#    with the encoder for the same cores; the real network works on the GPU.
#
#   bench/video_pipeline.sh [build folder] [clarivex to compare with]
set -euo pipefail
trap 'echo "failed at line $LINENO" >&2' ERR
build=$(realpath "${1:-build}")
baseline=${2:-}
source "$(dirname "$0")/stand_in_setup.sh"
mkdir -p "$work/ready"

now() { date +%s.%N; }

# Moving pattern with grain, so that PNG and H.264 have real work.
make_clip() {
    ffmpeg -v error -y -f lavfi -i "testsrc2=size=320x180:rate=30,noise=alls=8:allf=t" \
        -f lavfi -i "sine=frequency=440:duration=$1" -t "$1" -c:v libx264 -preset medium \
        -crf 20 -pix_fmt yuv420p -c:a aac -b:a 128k "$2"
}
make_clip 10 "$work/clip10.mp4"
make_clip 60 "$work/clip60.mp4"
ffmpeg -v error -y -i "$work/clip60.mp4" -map 0:v:0 -vf scale=640:360:flags=neighbor \
    -pix_fmt rgb24 "$work/ready/%06d.png"

# ffmpeg encoding the first $1 ready frames from a pipe, as the frame encoder does.
encoder_alone() {
    local start
    start=$(now)
    find "$work/ready" -name '*.png' | sort | sed -n "1,$1p" | xargs cat |
        ffmpeg -v error -y -f image2pipe -framerate 30/1 -c:v png -i - \
            -vf scale=640:360:flags=lanczos,setsar=1 -c:v libx264 -preset slow -crf 18 \
            -pix_fmt yuv420p -movflags +faststart -an "$work/alone.mp4"
    echo "$(now) - $start" | bc
}
encode10=$(encoder_alone 300)
encode60=$(encoder_alone 1800)
chunkSleep=$(echo "scale=3; $encode60 / (1800 / 48)" | bc)

# $1: copy (then sleep a chunk's encode) or vips. Each call logs "start end" in nanoseconds.
write_engine() {
    local enlarge
    if [ "$1" = copy ]; then
        enlarge="mkdir -p \"\$4\"; for frame in \"\$2\"/*.png; do cp \"$work/ready/\$(basename \"\$frame\")\" \"\$4/\"; done; sleep $chunkSleep"
    else
        enlarge="\"$standin\" \"\$@\""
    fi
    cat >"$engine/realesrgan-ncnn-vulkan" <<SCRIPT
#!/usr/bin/env bash
start=\$(date +%s%N)
$enlarge
status=\$?
echo "\$start \$(date +%s%N)" >>"$work/engine-calls"
exit \$status
SCRIPT
    chmod +x "$engine/realesrgan-ncnn-vulkan"
}

# $1: program, $2: clip, $3: name of the run. Appends "name seconds peak-bytes" to results and
# keeps the engine's calls under the run's name.
run_clarivex() {
    rm -f "$work"/clip*-2x*.mp4 "$work/engine-calls" "$work/disk"
    local start pid
    start=$(now)
    "$1" --cli "$2" --target x2 --no-pictures >"$work/$3.out" &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        # Files vanish while du counts them; a partial count is still a sample.
        { du -sb "$work/tmp" 2>/dev/null || true; } | cut -f1 >>"$work/disk"
        sleep 0.2
    done
    wait "$pid"
    echo "$3 $(echo "$(now) - $start" | bc) $(sort -n "$work/disk" | tail -1)" >>"$work/results"
    cp "$work/engine-calls" "$work/$3.calls"
}

write_engine copy
run_clarivex "$clarivex" "$work/clip10.mp4" balanced10
run_clarivex "$clarivex" "$work/clip60.mp4" balanced60
[ -n "$baseline" ] && run_clarivex "$baseline" "$work/clip60.mp4" balanced60-compared
write_engine vips
run_clarivex "$clarivex" "$work/clip10.mp4" vips10
[ -n "$baseline" ] && run_clarivex "$baseline" "$work/clip10.mp4" vips10-compared

python3 - "$work" "$encode10" "$encode60" "$chunkSleep" <<'PY'
import os, sys
work, encode10, encode60, chunk_sleep = sys.argv[1], *map(float, sys.argv[2:])
runs = {}
for line in open(f"{work}/results"):
    name, seconds, peak = line.split()
    runs[name] = (float(seconds), int(peak))

def engine(name):
    calls = [tuple(int(x) for x in line.split()) for line in open(f"{work}/{name}.calls")]
    busy = sum(end - start for start, end in calls) / 1e9
    span = (calls[-1][1] - calls[0][0]) / 1e9
    gaps = sum(max(0, b[0] - a[1]) for a, b in zip(calls, calls[1:])) / 1e9
    return busy, gaps / span if span > 0 else 0

print(f"encoder alone: {encode10:.1f} s (10 s clip), {encode60:.1f} s (60 s clip);"
      f" engine sleeps {chunk_sleep:.2f} s a chunk")
print("run                    total s  peak MB  engine busy s  engine idle  total / longer side")
for name, encode in (("balanced10", encode10), ("balanced60", encode60),
                     ("balanced60-compared", encode60), ("vips10", encode10),
                     ("vips10-compared", encode10)):
    if name not in runs:
        continue
    seconds, peak = runs[name]
    busy, idle = engine(name)
    print(f"{name:22} {seconds:7.1f}  {peak / 1e6:7.1f}  {busy:13.1f}  {idle:10.1%}"
          f"  {seconds / max(busy, encode):6.2f}")
if "balanced10" in runs and "balanced60" in runs:
    print(f"peak disk 60 s ÷ 10 s: {runs['balanced60'][1] / runs['balanced10'][1]:.2f}")
PY
