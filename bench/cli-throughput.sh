#!/usr/bin/env bash
# Times vorlan-tesselor-cli over 200 composed grabs (map views and game windows of both layouts,
# both games, all six schemes, PNG, GIF and BMP files) with --jobs 1 and --jobs 2, writing BMP and
# CSV, and reports grabs per second and peak memory (GNU time). The figures go into
# docs/PERFORMANCE.md.
#
#   bench/cli-throughput.sh BUILD_DIR [WORK_DIR]
#
# BUILD_DIR holds bin/vorlan-tesselor-cli and bin/vorlan-compose-grab; WORK_DIR (default: a
# temporary folder) keeps the grabs between runs.
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [WORK_DIR]}
work=${2:-$(mktemp -d)}
cli="$build/bin/vorlan-tesselor-cli"
compose="$build/bin/vorlan-compose-grab"
grabs="$work/grabs"
count=200

if [ ! -d "$grabs" ] || [ "$(ls "$grabs" | wc -l)" -lt "$count" ]; then
    mkdir -p "$grabs"
    layouts=(view A B)
    second_sizes=(8x8 16x16 24x24 32x24 24x16 32x32)
    for ((i = 0; i < count; i++)); do
        game=$((1 + i % 2))
        scheme=$((i % 6))
        layout=${layouts[$(((i / 2) % 3))]}
        size=32x32
        if [ "$game" = 2 ]; then size=${second_sizes[$(((i / 6) % 6))]}; fi
        extension=png
        if ((i % 5 == 1)); then extension=gif; elif ((i % 7 == 3)); then extension=bmp; fi
        name=$(printf "%s/grab-%03d.%s" "$grabs" "$i" "$extension")
        # A random level may draw a run that the window search takes for the marker: try
        # another seed then.
        for seed in $i $((i + 1000)) $((i + 2000)); do
            if QT_QPA_PLATFORM=offscreen "$compose" --game "$game" --scheme "$scheme" \
                --size "$size" --layout "$layout" --at 40,30 --seed "$seed" "$name" \
                >/dev/null 2>&1; then
                break
            fi
        done
    done
fi

echo "machine: $(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "grabs: $(ls "$grabs" | wc -l) in $grabs ($(du -sh "$grabs" | cut -f1))"
# The default preferences, whatever the user's store holds.
: >"$work/settings.ini"
for jobs in 1 2; do
    out="$work/out-$jobs"
    rm -rf "$out"
    /usr/bin/time -v -o "$work/time-$jobs.txt" \
        "$cli" --settings "$work/settings.ini" -f bmp,csv -j "$jobs" -o "$out" "$grabs" 2>"$work/log-$jobs.txt" ||
        true
    seconds=$(grep "Elapsed (wall clock)" "$work/time-$jobs.txt" | awk '{print $NF}' |
        awk -F: '{ if (NF == 3) print $1 * 3600 + $2 * 60 + $3; else print $1 * 60 + $2 }')
    cpu=$(awk -F': ' '/User time|System time/ { sum += $2 } END { print sum }' "$work/time-$jobs.txt")
    peak=$(grep "Maximum resident set size" "$work/time-$jobs.txt" | awk '{print $NF}')
    converted=$(ls "$out"/*.csv 2>/dev/null | wc -l)
    # Per core: grabs over the processor time used (user and system), which the other work
    # on a shared machine does not inflate as it does the wall-clock time.
    echo "--jobs $jobs: $converted grabs in $seconds s," \
        "$(awk -v n="$converted" -v s="$seconds" 'BEGIN { printf "%.1f", n / s }') grabs/s;" \
        "$cpu s of processor time," \
        "$(awk -v n="$converted" -v s="$cpu" 'BEGIN { printf "%.1f", n / s }') grabs/s per core;" \
        "peak memory $((peak / 1024)) MB"
done
