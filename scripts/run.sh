#!/usr/bin/env bash
# What `make run` does: opens the sample chronology in the program's window.
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) it paints the
# sample into a PNG file in the build folder instead and prints its path.
set -euo pipefail
build_dir=${1:-build}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe="$build_dir/app/annalux"
sample="$root/samples/sample.anx"

if [ ! -x "$exe" ]; then
    echo "run.sh: $exe has not been built" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    if [ -f "$sample" ]; then
        exec "$exe" "$sample"
    fi
    # No sample yet: the program starts with an empty chronology.
    exec "$exe"
fi

if [ ! -f "$sample" ]; then
    echo "No display, and no sample chronology ($sample) to render." >&2
    exit 1
fi
out="$build_dir/sample.png"
"$exe" --render-png "$out" "$sample"
echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset), so the sample"
echo "chronology was rendered into: $(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
