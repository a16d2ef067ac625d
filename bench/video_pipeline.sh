#!/usr/bin/env bash
# What the video path costs besides the network: a 1280×720, 10 s, 30 fps clip with sound,
# target ×2, through `clarivex --cli`, against ffmpeg alone doing the same file work: decode →
# Lanczos scale to 2560×1440 → libx264 slow CRF 18 → sound copied. All runs alternate within
# one invocation, so that they see the same machine.
#
# The engine only copies: every frame is enlarged ×2 (nearest neighbour) before the timed
# runs, and the engine copies the ready frame of each input's name into its output folder, as
# the real one writes them. The test stand-in (libvips: PNG decode, enlarge, PNG encode) costs
# far more than a copy; with "vips" as the third argument it is used instead and its own time
# is reported. x264's speed depends on the pictures, so ffmpeg alone is also timed on the very
# pictures our encoder gets (nearest neighbour ×2, then Lanczos at that size).
#
# Also reports when each stage began and the peak disk use of the working folder against the
# video path's estimate (extracted frames + one enlarged chunk + 1 GB margin).
#
#   bench/video_pipeline.sh [build folder] [rounds] [copy|vips]
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-1}
engineKind=${3:-copy}
clarivex="$build/src/app/clarivex"
standin="$build/tests/fixtures/fake_realesrgan"
for program in "$clarivex" "$standin"; do
    [ -x "$program" ] || { echo "build $(basename "$program") first (scripts/bootstrap)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
engine="$work/engine"
mkdir -p "$engine/models" "$work/home" "$work/tmp" "$work/ready"
for model in realesrgan-x4plus realesrgan-x4plus-anime realesr-animevideov3-x2 \
    realesr-animevideov3-x3 realesr-animevideov3-x4; do
    touch "$engine/models/$model.param" "$engine/models/$model.bin"
done

# Camera-like content: moving pattern with grain, so that PNG and H.264 have real work.
clip="$work/clip.mp4"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=1280x720:rate=30,noise=alls=12:allf=t" \
    -f lavfi -i "sine=frequency=440:duration=10" -t 10 -c:v libx264 -preset medium -crf 20 \
    -pix_fmt yuv420p -c:a aac -b:a 128k "$clip"

if [ "$engineKind" = copy ]; then
    ffmpeg -v error -y -i "$clip" -map 0:v:0 -fps_mode passthrough \
        -vf scale=2560:1440:flags=neighbor -pix_fmt rgb24 "$work/ready/%06d.png"
    enlarge="mkdir -p \"\$4\"; for frame in \"\$2\"/*.png; do cp \"$work/ready/\$(basename \"\$frame\")\" \"\$4/\"; done"
else
    enlarge="\"$standin\" \"\$@\""
fi
# The engine, timing itself: its cost stands for the network's, not the pipeline's.
cat >"$engine/realesrgan-ncnn-vulkan" <<SCRIPT
#!/usr/bin/env bash
start=\$(date +%s%N)
$enlarge
status=\$?
echo \$(( (\$(date +%s%N) - start) / 1000 )) >>"$work/engine-us"
exit \$status
SCRIPT
chmod +x "$engine/realesrgan-ncnn-vulkan"

export REALESRGAN_DIR="$engine" HOME="$work/home" TMPDIR="$work/tmp"

now() { date +%s.%N; }

# $1: where the times go; $2: the filter.
run_ffmpeg() {
    local start
    start=$(now)
    ffmpeg -v error -y -i "$clip" -map 0:v:0 -map 0:a:0 -vf "$2" -c:v libx264 -preset slow \
        -crf 18 -pix_fmt yuv420p -c:a copy -movflags +faststart "$work/alone.mp4"
    echo "$(now) - $start" | bc >>"$work/$1"
}

run_clarivex() {
    rm -f "$work"/clip-2x*.mp4 "$work/engine-us" "$work/disk" "$work/stages"
    local start pid
    start=$(now)
    # Stage lines with the seconds since the start, and the working folder's size every 0.2 s.
    "$clarivex" --cli "$clip" --target x2 --no-pictures |
        while IFS= read -r line; do echo "$(echo "$(now) - $start" | bc) $line"; done \
            >"$work/stages" &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        du -sb "$work/tmp" 2>/dev/null | cut -f1 >>"$work/disk"
        sleep 0.2
    done
    wait "$pid"
    echo "$(now) - $start" | bc >>"$work/clarivex-s"
    python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
engine = sum(int(x) for x in open(f"{work}/engine-us")) / 1e6
peak = max(int(x) for x in open(f"{work}/disk"))
open(f"{work}/engine-s", "a").write(f"{engine}\n")
open(f"{work}/peak-bytes", "a").write(f"{peak}\n")
PY
}

for _ in $(seq "$rounds"); do
    run_ffmpeg ffmpeg-s scale=2560:1440:flags=lanczos,setsar=1
    run_clarivex
    run_ffmpeg same-pictures-s \
        scale=2560:1440:flags=neighbor,scale=2560:1440:flags=lanczos,setsar=1
done

frames=$(ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames -of csv=p=0 "$clip")
python3 - "$work" "$frames" "$engineKind" <<'PY'
import sys, statistics
work, frames, kind = sys.argv[1], int(sys.argv[2]), sys.argv[3]
def values(name):
    return [float(x) for x in open(f"{work}/{name}")]
def runs(name):
    return ", ".join(f"{v:.1f}" for v in values(name))
ffmpeg = statistics.mean(values("ffmpeg-s"))
same = statistics.mean(values("same-pictures-s"))
ours = statistics.mean(values("clarivex-s"))
engine = statistics.mean(values("engine-s"))
peak = max(values("peak-bytes"))
frame = 1280 * 720 * 3 // 2
estimate = frame * frames + frame * 2 * 2 * 48 + 1_000_000_000
print(f"engine: {kind}; {frames} frames")
print(f"ffmpeg alone (Lanczos from 720p): {ffmpeg:6.1f} s  runs {runs('ffmpeg-s')}")
print(f"ffmpeg alone, same pictures:      {same:6.1f} s  runs {runs('same-pictures-s')}")
print(f"clarivex --cli:                   {ours:6.1f} s  runs {runs('clarivex-s')}")
print(f"  of which the engine:            {engine:6.1f} s")
print(f"ratio to ffmpeg alone:            {ours / ffmpeg:6.2f}")
print(f"ratio to the same pictures:       {ours / same:6.2f}"
      f"   without the engine's time: {(ours - engine) / same:.2f}")
print(f"peak working folder:              {peak / 1e6:6.0f} MB  estimate {estimate / 1e6:.0f} MB"
      f" ({(estimate - 1e9) / 1e6:.0f} MB without the 1 GB margin)")
print("stages of the last run (seconds since start):")
seen = set()
for line in open(f"{work}/stages"):
    seconds, text = line.split(" ", 1)
    stage = text.split(":", 1)[0].split("] ", 1)[-1]
    if stage not in seen:
        seen.add(stage)
        print(f"  {float(seconds):7.1f}  {text.strip()}")
PY
