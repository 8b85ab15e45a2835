#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a bounded time.
# Not part of CI. Usage: tools/fuzz.sh [seconds per target (default 180)] [target ...]
# Targets: fuzz_grab, fuzz_lzh, fuzz_settings, fuzz_capture (default: all four, one after the
# other).
# New inputs collect in build-fuzz/corpus/<target>, inputs that failed in build-fuzz/artifacts,
# and each run's output in build-fuzz/logs. The exit status is non-zero when any run found a
# fault; keep such an input as a test in tests/robust/fixtures, named after the fault.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-180}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_grab fuzz_lzh fuzz_settings fuzz_capture)

# The clang runtime holds libFuzzer; the normal build does not need either.
packages=(cmake ninja-build pkg-config qt6-base-dev libgif-dev libdeflate-dev clang libclang-rt-14-dev)
./tools/install-packages.sh "${packages[@]}"

build=build-fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVT_FUZZ=ON -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCH=OFF -DVT_BUILD_APP=OFF
fi
cmake --build "$build" --parallel 2 --target "${targets[@]}"

# Seeds: the third-party pictures where they lie (never copied here), our samples, and a few
# settings files of the shapes the program meets.
corpora=../shared/corpora
seeds_settings="$build/seeds/settings"
mkdir -p "$seeds_settings"
printf '[General]\nFlags=17\nProbMatch=88\nPixelMatch=90\nVorlanMatch=96\nMapName=%%s-decode\nCharRef=0\n' \
    > "$seeds_settings/defaults.ini"
printf '[General]\nFlags=63\nProbMatch=300\nPixelMatch=-5\nMapName="a, b"\nCharRef=1\n' \
    > "$seeds_settings/odd-values.ini"
printf '[General\nProbMatch=70\nthis line has no value\n' > "$seeds_settings/damaged.ini"
printf '[General]\nFlags=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1)\nMapName=@ByteArray(x)\n' \
    > "$seeds_settings/variants.ini"
# Captures: each kind of grab the target draws, at 1:1 near its map, through nearest, and the
# same at 150 % bilinear through JPEG at 94 (kind, seed, factor, factors apart, phases,
# resampler, JPEG quality, cuts, near the map). Mutations take it from there.
seeds_capture="$build/seeds/capture"
mkdir -p "$seeds_capture"
for kind in 0 1 2 3 4 5 6 7 8; do
    printf "\\x0$kind\\x00\\x14\\x00\\x00\\x00\\x00\\x00\\x00\\x01" > "$seeds_capture/kind$kind-plain"
    printf "\\x0$kind\\x03\\x3c\\x00\\x80\\x40\\x01\\xc0\\x00\\x01" > "$seeds_capture/kind$kind-150-jpeg"
done

seed_dirs() {
    case "$1" in
        fuzz_grab | fuzz_lzh)
            echo "$corpora" # read with its sub-folders
            echo samples
            echo tests/robust/fixtures
            ;;
        fuzz_settings)
            echo "$seeds_settings"
            echo tests/robust/fixtures
            ;;
        fuzz_capture)
            echo "$seeds_capture"
            ;;
    esac
}

# Longest input tried: the pictures as long as the seeds make them; the stream and the settings
# file short, so that each run stays quick; a capture reads fewer than 64 bytes.
max_len() {
    case "$1" in
        fuzz_lzh) echo "-max_len=65536" ;;
        fuzz_settings) echo "-max_len=4096" ;;
        fuzz_capture) echo "-max_len=64" ;;
        *) echo "-max_len=1048576" ;;
    esac
}

# A capture's input is a list of choices, not data: any length up to the longest from the start,
# rather than libFuzzer's slow growth from the seeds' length.
length_control() {
    case "$1" in
        fuzz_capture) echo "-len_control=0" ;;
    esac
}

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/artifacts" "$build/logs"
status=0
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target"
    mapfile -t seeds < <(seed_dirs "$target" | while read -r dir; do [ -d "$dir" ] && echo "$dir"; done)
    echo "== $target for $seconds s"
    if ! "$build/bin/$target" -max_total_time="$seconds" "$(max_len "$target")" $(length_control "$target") -timeout=30 -rss_limit_mb=4096 \
            -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
            "$build/corpus/$target" "${seeds[@]}" > "$build/logs/$target.log" 2>&1; then
        status=1
        echo "$target found a fault: see $build/logs/$target.log and $build/artifacts/"
    fi
    grep -E "^(stat::|Done|#[0-9]+ *DONE)" "$build/logs/$target.log" || tail -5 "$build/logs/$target.log"
done
exit $status
