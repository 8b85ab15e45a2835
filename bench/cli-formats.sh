#!/usr/bin/env bash
# Times vorlan-tesselor-cli --jobs 1 over 30 composed 32 x 32 map views (both games, the six
# schemes) for each output choice: -f bmp, png, gif, jpeg, csv and png,csv. Given several
# build folders, the runs of the builds alternate, so that a shared machine's load falls on
# all of them alike. Reports, per build and choice, the median of the runs: wall-clock
# seconds, processor seconds (user and system) and grabs per processor second. The figures go
# into docs/PERFORMANCE.md.
#
#   bench/cli-formats.sh [-r RUNS] [-w WORK_DIR] BUILD_DIR [BUILD_DIR ...]
#
# Each BUILD_DIR holds bin/vorlan-tesselor-cli; the grabs are drawn by the first one that has
# bin/vorlan-compose-grab. The outputs are written to WORK_DIR (default: a temporary folder).
set -euo pipefail

runs=5
work=
while getopts "r:w:" option; do
    case $option in
    r) runs=$OPTARG ;;
    w) work=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { echo "usage: $0 [-r RUNS] [-w WORK_DIR] BUILD_DIR [BUILD_DIR ...]" >&2; exit 2; }
work=${work:-$(mktemp -d)}
grabs="$work/views"
count=30
export QT_QPA_PLATFORM=offscreen

if [ ! -d "$grabs" ] || [ "$(ls "$grabs" | wc -l)" -lt "$count" ]; then
    compose=
    for dir in "$@"; do
        if [ -x "$dir/bin/vorlan-compose-grab" ]; then
            compose="$dir/bin/vorlan-compose-grab"
            break
        fi
    done
    [ -n "$compose" ] || { echo "no bin/vorlan-compose-grab in the build folders" >&2; exit 1; }
    mkdir -p "$grabs"
    for ((i = 0; i < count; i++)); do
        "$compose" --game $((1 + i % 2)) --scheme $((i % 6)) --size 32x32 --layout view \
            --seed "$i" "$(printf "%s/view-%02d.png" "$grabs" "$i")" >/dev/null 2>&1 ||
            { echo "$compose failed on grab $i" >&2; exit 1; }
    done
fi
: >"$work/settings.ini" # the default preferences, whatever the user's store holds

echo "machine: $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for formats in bmp png gif jpeg csv png,csv; do
    for ((build = 1; build <= $#; build++)); do : >"$work/times-$build"; done
    for ((run = 0; run < runs; run++)); do
        for ((build = 1; build <= $#; build++)); do
            dir=${!build}
            rm -rf "$work/out"
            /usr/bin/time -f "%e %U %S" -o "$work/time" "$dir/bin/vorlan-tesselor-cli" \
                --settings "$work/settings.ini" -f "$formats" -j 1 -o "$work/out" "$grabs" \
                >/dev/null 2>&1
            converted=$(ls "$work/out"/*.* 2>/dev/null | sed 's/\.[^.]*$//' | sort -u | wc -l)
            [ "$converted" -eq "$count" ] || echo "$dir: only $converted grabs converted" >&2
            awk '{ print $1, $2 + $3 }' "$work/time" >>"$work/times-$build"
        done
    done
    for ((build = 1; build <= $#; build++)); do
        wall=$(cut -d' ' -f1 "$work/times-$build" | median)
        cpu=$(cut -d' ' -f2 "$work/times-$build" | median)
        printf "%-8s %-40s wall %5.2f s  processor %5.2f s  %5.1f grabs/s\n" "$formats" \
            "${!build}" "$wall" "$cpu" "$(awk -v n=$count -v s="$cpu" 'BEGIN { print n / s }')"
    done
done
