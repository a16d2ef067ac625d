#!/usr/bin/env bash
# What the video path costs besides the network: a 1280×720, 10 s, 30 fps clip with sound,
# target ×2, through `clarivex --cli` with a stand-in engine that only enlarges the frames
# (nearest neighbour, tests/fixtures), against ffmpeg alone doing the same file work: decode →
# Lanczos scale to 2560×1440 → libx264 slow CRF 18 → sound copied. Both run in the same
# invocation, alternating, so that they see the same machine. Also reports the engine's own
# time, when each stage began, and the peak disk use of the working folder against the video
# path's estimate (extracted frames + one enlarged chunk + 1 GB margin).
#
#   bench/video_pipeline.sh [build folder] [rounds]
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-1}
clarivex="$build/src/app/clarivex"
standin="$build/tests/fixtures/fake_realesrgan"
for program in "$clarivex" "$standin"; do
    [ -x "$program" ] || { echo "build $(basename "$program") first (scripts/bootstrap)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
engine="$work/engine"
mkdir -p "$engine/models" "$work/home" "$work/tmp"
for model in realesrgan-x4plus realesrgan-x4plus-anime realesr-animevideov3-x2 \
    realesr-animevideov3-x3 realesr-animevideov3-x4; do
    touch "$engine/models/$model.param" "$engine/models/$model.bin"
done
# The stand-in, timing itself: its cost is the network's stand-in, not the pipeline's.
cat >"$engine/realesrgan-ncnn-vulkan" <<SCRIPT
#!/usr/bin/env bash
start=\$(date +%s%N)
"$standin" "\$@"
status=\$?
echo \$(( (\$(date +%s%N) - start) / 1000 )) >>"$work/engine-us"
exit \$status
SCRIPT
chmod +x "$engine/realesrgan-ncnn-vulkan"

# Camera-like content: moving pattern with grain, so that PNG and H.264 have real work.
clip="$work/clip.mp4"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=1280x720:rate=30,noise=alls=12:allf=t" \
    -f lavfi -i "sine=frequency=440:duration=10" -t 10 -c:v libx264 -preset medium -crf 20 \
    -pix_fmt yuv420p -c:a aac -b:a 128k "$clip"

export REALESRGAN_DIR="$engine" HOME="$work/home" TMPDIR="$work/tmp"

now() { date +%s.%N; }

# $1: where the times go; $2: the filter. x264's speed depends on the pictures, so besides the
# baseline asked for (Lanczos from 720p) the same work is also timed on the very pictures the
# stand-in hands the encoder (nearest neighbour ×2, then the encoder's Lanczos at that size).
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
python3 - "$work" "$frames" <<'PY'
import sys, statistics
work, frames = sys.argv[1], int(sys.argv[2])
def values(name):
    return [float(x) for x in open(f"{work}/{name}")]
ffmpeg = statistics.mean(values("ffmpeg-s"))
ours = statistics.mean(values("clarivex-s"))
engine = statistics.mean(values("engine-s"))
peak = max(values("peak-bytes"))
frame = 1280 * 720 * 3 // 2
estimate = frame * frames + frame * 2 * 2 * 48 + 1_000_000_000
print(f"ffmpeg alone:          {ffmpeg:7.1f} s   (runs: {', '.join(f'{v:.1f}' for v in values('ffmpeg-s'))})")
print(f"clarivex --cli:        {ours:7.1f} s   (runs: {', '.join(f'{v:.1f}' for v in values('clarivex-s'))})")
same = statistics.mean(values("same-pictures-s"))
print(f"ratio:                 {ours / ffmpeg:7.2f}")
print(f"ffmpeg, same pictures: {same:7.1f} s   (runs: {', '.join(f'{v:.1f}' for v in values('same-pictures-s'))}); ratio {ours / same:.2f}")
print(f"stand-in engine alone: {engine:7.1f} s   ratio without it: {(ours - engine) / ffmpeg:.2f}")
print(f"peak working folder:   {peak / 1e6:7.0f} MB  estimate {estimate / 1e6:.0f} MB "
      f"({(estimate - 1e9) / 1e6:.0f} MB without the 1 GB margin)")
print("stages of the last run (seconds since start):")
seen = set()
for line in open(f"{work}/stages"):
    seconds, text = line.split(" ", 1)
    stage = text.split(":", 1)[0].split("] ", 1)[-1]
    if stage not in seen:
        seen.add(stage)
        print(f"  {float(seconds):7.1f}  {text.strip()}")
PY
