#!/usr/bin/env bash
# What the segmented video encode costs and saves, through `clarivex --cli` with the test
# stand-in engine (libvips: PNG decode, enlarge, PNG encode) on camera-like 160×90 clips at
# 30 fps with sound, target ×2:
#
# 1. The temporary folder's peak for a 6 s and a 36 s clip (sampled every 0.1 s): only a few
#    chunks of frames live there, whatever the length. The part folder beside the result is
#    sampled too; it holds the segments and, at the end, the joined result.
# 2. A 3-minute clip: one full run; then a run killed outright (kill -9) once half of the frames
#    are in finished segments, and the same command again, which continues after them. Wall
#    clock and processor time (GNU time) of each.
#
# With a second clarivex (for example the previous build), part 1 is measured for both.
#
#   bench/video_resume.sh [build folder] [clarivex to compare with]
set -euo pipefail
trap 'echo "failed at line $LINENO" >&2' ERR
build=$(realpath "${1:-build}")
baseline=${2:-}
source "$(dirname "$0")/stand_in_setup.sh"
mkdir -p "$work/media"
ln -s "$standin" "$engine/realesrgan-ncnn-vulkan"


# Moving pattern with grain, so that PNG and H.264 have real work.
make_clip() {
    ffmpeg -v error -y -f lavfi -i "testsrc2=size=160x90:rate=30,noise=alls=8:allf=t" \
        -f lavfi -i "sine=frequency=440:duration=$1" -t "$1" -c:v libx264 -preset medium \
        -crf 20 -pix_fmt yuv420p -c:a aac -b:a 128k "$2"
}
for seconds in 6 36 180; do make_clip "$seconds" "$work/media/clip$seconds.mp4"; done

# Peak bytes of the temporary folder and of the part folders beside the sources while $1
# upscales $2.
peaks() {
    rm -f "$work"/media/clip*-2x*.mp4
    "$1" --cli "$2" --target x2 --no-pictures >/dev/null &
    local pid=$! temporary=0 beside=0 size
    while kill -0 "$pid" 2>/dev/null; do
        # Files vanish while du counts them; a partial count is still a sample.
        size=$({ du -sb "$work/tmp" 2>/dev/null || true; } | cut -f1)
        [ "${size:-0}" -gt "$temporary" ] && temporary=$size
        size=$({ du -sbc "$work"/media/.*.parts 2>/dev/null || true; } | tail -1 | cut -f1)
        [ "${size:-0}" -gt "$beside" ] && beside=$size
        sleep 0.1
    done
    wait "$pid"
    echo "$temporary $beside"
}

segments() {
    local count
    count=$(grep -c '"file"' "$work/media/.clip180-2x.parts/manifest.json" 2>/dev/null || true)
    echo "${count:-0}"
}

echo "temporary folder peak (MB), part folder peak (MB)"
for program in "$clarivex" ${baseline:+"$baseline"}; do
    read -r t6 b6 < <(peaks "$program" "$work/media/clip6.mp4")
    read -r t36 b36 < <(peaks "$program" "$work/media/clip36.mp4")
    printf '%s\n  6 s: %.1f, %.1f\n  36 s: %.1f, %.1f\n  36 s ÷ 6 s (temporary): %.2f\n' \
        "$program" "$(echo "$t6 / 1000000" | bc -l)" "$(echo "$b6 / 1000000" | bc -l)" \
        "$(echo "$t36 / 1000000" | bc -l)" "$(echo "$b36 / 1000000" | bc -l)" \
        "$(echo "$t36 / $t6" | bc -l)"
done

# Wall-clock seconds and the processor seconds of clarivex and every child it waited for (the
# engine, ffmpeg): on a shared machine the second is the fairer comparison.
timed() {
    /usr/bin/time -f "%e %U %S" -o "$1.time" "$clarivex" --cli "$work/media/clip180.mp4" \
        --target x2 --no-pictures >"$1" || true
}
seconds() { tail -1 "$1.time" | awk '{ printf "%.1f s, %.1f processor s", $1, $2 + $3 }'; }
processor() { tail -1 "$1.time" | awk '{ print $2 + $3 }'; }

rm -f "$work"/media/clip*-2x*.mp4
timed "$work/full.out"
rm -f "$work"/media/clip*-2x*.mp4

# 180 s in segments of 4 s: 45 segments, of which 23 are just over half. GNU time stays to
# report; clarivex, its child, is killed.
/usr/bin/time -f "%e %U %S" -o "$work/killed.out.time" "$clarivex" --cli \
    "$work/media/clip180.mp4" --target x2 --no-pictures >"$work/killed.out" &
pid=$!
until [ "$(segments)" -ge 23 ]; do sleep 0.1; done
kill -9 "$(pgrep -P "$pid")"
wait "$pid" 2>/dev/null || true
kept=$(segments)
timed "$work/resumed.out"
grep -h "Продолжаю" "$work/resumed.out" || true
echo "3-minute clip, full run: $(seconds "$work/full.out")"
echo "killed with $kept of 45 segments finished after $(seconds "$work/killed.out")"
echo "the same command then: $(seconds "$work/resumed.out")"
printf 'resumed ÷ full, processor time: %.2f\n' \
    "$(echo "$(processor "$work/resumed.out") / $(processor "$work/full.out")" | bc -l)"
