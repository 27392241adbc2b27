#!/bin/sh
# Regenerates samples/sample.anx, the sample chronology over the sample
# libraries: 西暦, 元号 (gengou.lgn), 時代 (jidai.ler), 出来事 (nihonshi.lev
# and sekaishi.lev) and 基点年 (ieyasu.lby). The project is built by the view
# tests' own helper, so it always matches what they render.
#
#   scripts/make-sample-project.sh [path/to/RenderPng_test]
#
# The test program defaults to $RENDER_TEST, else build/tests/app/RenderPng_test.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
test=${1:-${RENDER_TEST:-$root/build/tests/app/RenderPng_test}}
if [ ! -x "$test" ]; then
    echo "make-sample-project: no test program at $test (build RenderPng_test or pass its path)" >&2
    exit 1
fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
ANNALUX_SAMPLE_PROJECT_OUT="$root/samples/sample.anx" \
    "$test" --gtest_filter='*WritesTheSampleProjectWhenAsked*' >/dev/null
echo "made $root/samples/sample.anx"
