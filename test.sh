#!/usr/bin/env bash
# Builds every preset and runs every test through CTest:
#   host       - unit tests of the portable logic (native build)
#   host-asan  - the same tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz       - libFuzzer targets over every reader of outside text: the committed corpus and a
#                few seconds of fuzzing each (LUMBRA_FUZZ_SECONDS at configure time sets how many)
#   win        - LumbraPanel.exe, the Windows-built tests of the platform layer and the end-to-end
#                tests, all run in Wine on a private Xvfb display (no display needed)
# At the end it prints how long each step took.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

tools/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
steps=()
step() {  # step NAME command...: runs the command and notes its time
    local start=$SECONDS status=0
    "${@:2}" || status=$?
    steps+=("$(printf '%-12s %5d s%s' "$1" $((SECONDS - start)) "$([ $status -eq 0 ] || echo '  FAILED')")")
    return $status
}

# The Windows tests get a display of their own, whatever DISPLAY says, and every Wine prefix of
# the run starts as a copy of one made once, in the background while the builds run.
source cmake/wine-env.sh
unset DISPLAY
export LUMBRA_PREFIX_TEMPLATE=$root/build/win/wine/template
state=$root/build/xvfb
cleanup() {
    for p in "$root"/build/win/wine/* "$root"/build/win/e2e/prefix; do
        [ -d "$p/drive_c" ] && WINEPREFIX=$p wineserver -k 2>/dev/null || true
    done
    lumbra_stop_display "$state"
    printf '%s\n' "${steps[@]}"
}
trap cleanup EXIT
lumbra_ensure_display "$state"
export DISPLAY
mkdir -p "$root/build/win/wine"
(lumbra_ensure_prefix "$LUMBRA_PREFIX_TEMPLATE") >"$root/build/win/wine/template.log" 2>&1 &
template=$!

for preset in host host-asan fuzz win; do
    step "build $preset" bash -c "cmake --preset $preset && cmake --build --preset $preset -j$jobs"
done
step "wine prefix" wait $template

status=0
step "test host" ctest --preset host -j"$jobs" || status=1
step "test asan" ctest --preset host-asan -j"$jobs" || status=1
step "test fuzz" ctest --preset fuzz -j"$jobs" || status=1
step "test win" ctest --preset win -j"$jobs" || status=1
exit $status
