#!/usr/bin/env bash
# What the image path costs besides the network: a 1000×750 JPEG enlarged to 4K, with an
# engine that only copies a ready 4000×3000 picture, against the `vips` tool doing the same
# file work alone. Also the peak memory of a 12-megapixel JPEG enlarged ×2 (a 12-megapixel
# photo is already past 4K, so that target would be refused before any work).
#
#   bench/image_pipeline.sh [build folder]
set -euo pipefail
build=$(realpath "${1:-build}")
clarivex="$build/src/app/clarivex"
[ -x "$clarivex" ] || { echo "build Clarivex first (scripts/bootstrap)"; exit 1; }
command -v hyperfine >/dev/null || { echo "hyperfine is missing"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
engine="$work/engine"
mkdir -p "$engine/models" "$work/home"
for model in realesrgan-x4plus realesrgan-x4plus-anime realesr-animevideov3-x2 \
    realesr-animevideov3-x3 realesr-animevideov3-x4; do
    touch "$engine/models/$model.param" "$engine/models/$model.bin"
done

# The engine's answers, made in advance: the network's output is 4× the source.
vips gaussnoise "$work/noise.v" 1000 750 --mean 128 --sigma 40
vips bandjoin "$work/noise.v $work/noise.v $work/noise.v" "$work/rgb.v"
vips cast "$work/rgb.v" "$work/photo.jpg[Q=92]" uchar
vips resize "$work/photo.jpg" "$work/ready-4x.png" 4
vips gaussnoise "$work/n12.v" 4000 3000 --mean 128 --sigma 40
vips bandjoin "$work/n12.v $work/n12.v $work/n12.v" "$work/rgb12.v"
vips cast "$work/rgb12.v" "$work/big.jpg[Q=92]" uchar
vips resize "$work/big.jpg" "$work/ready-big-4x.png" 4

# Stand-in engine: copies the ready answer for the input's size and logs its own time.
cat >"$engine/realesrgan-ncnn-vulkan" <<SCRIPT
#!/usr/bin/env bash
start=\$(date +%s%N)
width=\$(vipsheader -f width "\$2")
if [ "\$width" -gt 1000 ]; then cp "$work/ready-big-4x.png" "\$4"; else cp "$work/ready-4x.png" "\$4"; fi
echo "100.00%" >&2
echo \$(( (\$(date +%s%N) - start) / 1000 )) >>"$work/engine-us"
SCRIPT
chmod +x "$engine/realesrgan-ncnn-vulkan"

export REALESRGAN_DIR="$engine" HOME="$work/home"
cat >"$work/run-clarivex" <<SCRIPT
#!/usr/bin/env bash
rm -f "$work"/photo-4k*.jpg
exec "$clarivex" --cli "$work/photo.jpg" --no-pictures >/dev/null
SCRIPT
chmod +x "$work/run-clarivex"

rm -f "$work/engine-us"
hyperfine --warmup 2 --runs 10 --export-json "$work/ours.json" \
    -n clarivex "$work/run-clarivex" \
    -n vips "vips autorot $work/photo.jpg $work/in.png && vips resize $work/ready-4x.png '$work/out.jpg[Q=95,strip]' 0.72 --kernel lanczos3" \
    >/dev/null
python3 - "$work" <<'PY'
import json, sys, statistics
work = sys.argv[1]
results = {r["command"]: r for r in json.load(open(f"{work}/ours.json"))["results"]}
engine_s = statistics.mean(int(x) for x in open(f"{work}/engine-us")) / 1e6
ours = results["clarivex"]["mean"]
vips = results["vips"]["mean"]
print(f"clarivex --cli 1000x750 -> 4K: {ours*1000:.0f} ms, of which the stand-in engine {engine_s*1000:.0f} ms")
print(f"pipeline's own cost: {(ours-engine_s)*1000:.0f} ms")
print(f"vips tool, same file work: {vips*1000:.0f} ms")
print(f"ratio: {(ours-engine_s)/vips:.2f}x (goal: at most 1.3x)")
PY

python3 - "$clarivex" "$work/big.jpg" <<'PY'
import resource, subprocess, sys
subprocess.run([sys.argv[1], "--cli", sys.argv[2], "--target", "x2", "--no-pictures"],
               check=True, stdout=subprocess.DEVNULL)
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
print(f"peak resident memory, 12 MP JPEG -> x2 (engine output 16000x12000): {peak:.0f} MB (goal: under 400 MB)")
PY
