#!/bin/sh
# Renders every project given with two builds of annalux and compares the
# pictures pixel by pixel (ImageMagick). Each project is drawn at the sizes
# in SIZES and the years in YEARS ("first" for the top of the table).
#
#   [SIZES=...] [YEARS=...] bench/compare-renders.sh BEFORE_BINARY AFTER_BINARY OUTDIR PROJECT...
set -u
before=$1 after=$2 out=$3
shift 3
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
same=0 differ=0
for project in "$@"; do
    name=$(basename "$project" .anx)
    for size in ${SIZES:-1920x1080 700x2400}; do
        for year in ${YEARS:-first -2500 -1 1 1500 2020}; do
            args="--size $size"
            [ "$year" = first ] || args="$args --year $year"
            a="$out/$name-$size-$year-before.png"
            b="$out/$name-$size-$year-after.png"
            "$before" --render-png "$a" $args "$project" 2>/dev/null || echo "before failed: $project $args"
            "$after" --render-png "$b" $args "$project" 2>/dev/null || echo "after failed: $project $args"
            diff=$(compare -metric AE "$a" "$b" null: 2>&1)
            if [ "$diff" = 0 ]; then
                same=$((same + 1))
                rm -f "$a" "$b"
            else
                differ=$((differ + 1))
                echo "DIFFER ($diff pixels): $name $args"
            fi
        done
    done
done
echo "identical: $same, different: $differ"
[ "$differ" = 0 ]
