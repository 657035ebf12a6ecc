#!/usr/bin/env bash
# Builds LumbraPanel.exe and runs it in Wine, in a 1024x768 Wine desktop with a task bar.
# With a working DISPLAY the program stays until you close its window; without one it runs on a
# private Xvfb for a few seconds and leaves a screenshot in build/run-screenshot.png.
#   ./run.sh --package   builds the release zip dist/Lumbra-<version>.zip instead of running
# Any other arguments go to LumbraPanel.exe (for instance /dbg).
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

tools/install-deps.sh
cmake --preset win
cmake --build --preset win -j"$(nproc 2>/dev/null || echo 2)"

if [ "${1:-}" = "--package" ]; then
    version=$(sed -n 's/^project(Lumbra VERSION \([0-9]*\.[0-9]*\.[0-9]*\).*/\1/p' CMakeLists.txt)
    python3 tools/package.py --exe build/win/LumbraPanel.exe --source . --output "dist/Lumbra-$version.zip"
    exit 0
fi

source cmake/wine-env.sh
prefix=$root/build/win/wine/run
exe=$root/build/win/LumbraPanel.exe

if lumbra_display_alive "${DISPLAY:-}"; then
    lumbra_ensure_prefix "$prefix"
    lumbra_env "$prefix"
    lumbra_warm_session
    echo "LumbraPanel runs in the Wine desktop window; close its window to end it."
    wine "$exe" "$@"
    exit 0
fi

state=$root/build/xvfb-run
unset DISPLAY
lumbra_ensure_display "$state"
stop() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
}
trap stop EXIT
lumbra_ensure_prefix "$prefix"
lumbra_env "$prefix"
lumbra_warm_session
wine "$exe" "$@" </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 50); do
    xwininfo -root -tree 2>/dev/null | grep -q '"LumbraPanel"' && break
    sleep 0.2
done
sleep 2
import -window root "$root/build/run-screenshot.png"
echo "No display: LumbraPanel ran on a private Xvfb; screenshot in build/run-screenshot.png"
