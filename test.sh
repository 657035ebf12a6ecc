#!/usr/bin/env bash
# Builds every preset and runs every test through CTest:
#   host       - unit tests of the portable logic (native build)
#   host-asan  - the same tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz       - libFuzzer targets over every reader of outside text, ~30 s each
#   win        - LumbraPanel.exe, the Windows-built tests of the platform layer and the end-to-end
#                tests, all run in Wine on a private Xvfb display (no display needed)
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

tools/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

for preset in host host-asan fuzz win; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j"$jobs"
done

# The Windows tests get a display of their own, whatever DISPLAY says.
source cmake/wine-env.sh
unset DISPLAY
state=$root/build/xvfb
cleanup() {
    for p in "$root"/build/win/wine/* "$root"/build/win/e2e/prefix; do
        [ -d "$p/drive_c" ] && WINEPREFIX=$p wineserver -k 2>/dev/null || true
    done
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
}
trap cleanup EXIT
lumbra_ensure_display "$state"
export DISPLAY

status=0
ctest --preset host -j"$jobs" || status=1
ctest --preset host-asan -j"$jobs" || status=1
ctest --preset fuzz -j"$jobs" || status=1
ctest --preset win -j"$jobs" || status=1
exit $status
