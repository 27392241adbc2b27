#!/bin/sh
# Regenerates the sample libraries in samples/ from the UTF-8 source tables in
# samples/src/, through the program's own CSV import.
#
#   scripts/make-samples.sh [path/to/annalux]
#
# The program defaults to $ANNALUX, else build/app/annalux under the source tree.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
annalux=${1:-${ANNALUX:-$root/build/app/annalux}}
if [ ! -x "$annalux" ]; then
    echo "make-samples: no annalux program at $annalux (build it or pass its path)" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/annalux-samples.XXXXXX")
trap 'rm -rf "$work"' EXIT

convert() {
    src=$root/samples/src/$1.csv
    out=$root/samples/$1.$2
    # Library contents are Shift-JIS; the sources are kept in UTF-8.
    iconv -f UTF-8 -t CP932 "$src" > "$work/$1.csv"
    "$annalux" --import-csv "$work/$1.csv" "$out"
    echo "made $out"
}

convert gengou lgn
convert jidai ler
convert nihonshi lev
convert sekaishi lev
convert ieyasu lby
