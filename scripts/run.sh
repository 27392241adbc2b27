#!/usr/bin/env bash
# Opens the sample chronology once the program can show it; until then it
# only reports what was built.
set -euo pipefail
build_dir=${1:-build}
echo "Built into $build_dir:"
ls "$build_dir"/datalib/libAnnaluxData80.so* 2>/dev/null | sed 's/^/  /' || true
[ -x "$build_dir/app/annalux" ] && echo "  $build_dir/app/annalux (batch commands only: try '$build_dir/app/annalux --help')"
echo "The chronology window is not part of this build yet, so there is nothing to open."
