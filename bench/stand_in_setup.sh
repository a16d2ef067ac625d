# Sourced by the video benchmarks once `build` and `baseline` are set: checks that the program
# and the test stand-in engine are built, makes a scratch folder (removed on exit) with an engine
# folder holding every model's files, and points REALESRGAN_DIR, HOME and TMPDIR into it.
# Sets clarivex, standin, work and engine.
clarivex="$build/src/app/clarivex"
standin="$build/tests/fixtures/fake_realesrgan"
for program in "$clarivex" "$standin" ${baseline:+"$baseline"}; do
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
export REALESRGAN_DIR="$engine" HOME="$work/home" TMPDIR="$work/tmp"
