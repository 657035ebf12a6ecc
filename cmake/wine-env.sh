#!/usr/bin/env bash
# Shared Wine set-up for the Windows-built tests and for ./run.sh.
#
#   wine-env.sh display <state-dir>          print a DISPLAY that answers (starts Xvfb when needed)
#   wine-env.sh prefix <prefix-dir>          create the prefix once (idempotent, safe in parallel)
#   wine-env.sh exec <prefix-dir> cmd...     run cmd with the prefix's environment and a display
#   wine-env.sh session <work-dir> [fresh]   an end-to-end session: a display of its own (<work>/x, or
#                                            LUMBRA_E2E_DISPLAY), the prefix <work>/prefix (made anew
#                                            with "fresh"), a wineserver that stays; the environment
#                                            for Wine, NUL-separated, into <work>/session.env
#   wine-env.sh end <work-dir>               ends the session's Wine processes and display
#
# Sourced, it defines lumbra_env <prefix-dir> (exports WINEPREFIX, HOME, XDG_DATA_HOME, ...),
# lumbra_ensure_display <state-dir>, lumbra_stop_display <state-dir> and lumbra_ensure_prefix <prefix-dir>.
#
# Every prefix gets: a 1024x768 virtual desktop with a task bar (so the notification area exists)
# that every plain `wine prog.exe` joins, Wine's own fonts plus a CJK font linked behind the UI
# fonts (lumbra_ensure_fonts: caption buttons and Japanese text render), real Desktop and
# Documents folders (not links into $HOME), and
# its own HOME and XDG_DATA_HOME (the recycle bin lives there).

LUMBRA_DESKTOP_NAME=${LUMBRA_DESKTOP_NAME:-Lumbra}
LUMBRA_DESKTOP_SIZE=${LUMBRA_DESKTOP_SIZE:-1024x768}

lumbra_env() {
    local prefix
    prefix=$(realpath -m "$1")
    export WINEPREFIX="$prefix"
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono/Gecko download dialogs (neither is needed), no Linux menu entries or .desktop files for
    # shortcuts made in the prefix.
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
    export HOME="$prefix.home"
    export XDG_DATA_HOME="$prefix.home/.local/share"
    export XDG_CONFIG_HOME="$prefix.home/.config"
    export XDG_CACHE_HOME="$prefix.home/.cache"
    export LANG=${LUMBRA_LANG:-C.UTF-8}
    mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
}

lumbra_display_alive() {
    [ -n "${1:-}" ] && xdpyinfo -display "$1" >/dev/null 2>&1
}

# A display number is free unless a server answers on it or its lock names a live process. A
# lock left by a server that was killed outright (a session ended, a machine reset) is stale:
# Xvfb itself takes the number over, removing the old lock and socket.
lumbra_display_free() {
    local n=$1 pid
    if [ -e "/tmp/.X$n-lock" ]; then
        pid=$(tr -dc '0-9' <"/tmp/.X$n-lock" 2>/dev/null || true)
        [ -n "$pid" ] && [ -d "/proc/$pid" ] && return 1
    fi
    ! lumbra_display_alive ":$n"
}

lumbra_ensure_display() {
    local state=${1:-/tmp/lumbra-x}
    if lumbra_display_alive "${DISPLAY:-}"; then
        return 0
    fi
    mkdir -p "$state"
    # A display remembered from an earlier run counts only while our own Xvfb still serves it: its
    # number may since have gone to somebody else's server.
    if lumbra_own_display "$state" && lumbra_display_alive "$(cat "$state/display")"; then
        export DISPLAY=$(cat "$state/display")
        return 0
    fi
    local n
    for n in $(seq 91 190); do
        lumbra_display_free "$n" || continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
        local pid=$!
        local i
        for i in $(seq 1 50); do
            # Alive and ours: another run may have taken the same number a moment earlier.
            if kill -0 "$pid" 2>/dev/null && lumbra_display_alive ":$n" && kill -0 "$pid" 2>/dev/null; then
                echo "$pid" >"$state/xvfb.pid"
                echo ":$n" >"$state/display"
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null
    done
    echo "wine-env: could not start Xvfb; the last attempt said:" >&2
    tail -n 20 "$state/xvfb.log" >&2 2>/dev/null || true
    return 1
}

lumbra_own_display() {
    local pid
    pid=$(cat "$1/xvfb.pid" 2>/dev/null) && [ -f "$1/display" ] &&
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "^Xvfb $(cat "$1/display") "
}

# Ends the Xvfb that lumbra_ensure_display started for this state directory, if it still runs.
lumbra_stop_display() {
    if lumbra_own_display "$1"; then kill "$(cat "$1/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$1/xvfb.pid" "$1/display"
}

lumbra_find_cjk_font() {
    local f
    for f in /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc \
             /usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf \
             /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf \
             /usr/share/fonts/truetype/fonts-japanese-gothic.ttf; do
        [ -f "$f" ] && { echo "$f"; return 0; }
    done
    return 1
}

# With LUMBRA_PREFIX_TEMPLATE set, a new prefix is a copy of that one (made first when missing):
# a copy takes seconds, wineboot a minute.
lumbra_ensure_prefix() {
    local template=${LUMBRA_PREFIX_TEMPLATE:+$(realpath -m "$LUMBRA_PREFIX_TEMPLATE")}
    if [ -n "$template" ] && [ "$template" != "$(realpath -m "$1")" ] && [ ! -f "$1/.lumbra-ready" ]; then
        (unset LUMBRA_PREFIX_TEMPLATE; lumbra_ensure_prefix "$template")
        lumbra_env "$1"
        (
            flock 9
            [ -f "$WINEPREFIX/.lumbra-ready" ] && exit 0
            rm -rf "$WINEPREFIX"
            cp -a "$template" "$WINEPREFIX"
            # The links to the user's own folders lead to this prefix's home.
            find "$WINEPREFIX/drive_c/users" -maxdepth 2 -type l -lname "$template.home" -exec ln -sfn "$WINEPREFIX.home" {} \;
        ) 9>"$WINEPREFIX.lock"
        lumbra_ensure_second_drive "$WINEPREFIX"
        return
    fi
    lumbra_env "$1"
    local prefix=$WINEPREFIX
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        [ -f "$prefix/.lumbra-ready" ] && { lumbra_ensure_fonts "$prefix"; exit 0; }
        rm -rf "$prefix"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w 2>/dev/null || true
        [ -d "$prefix/drive_c/windows" ] || { echo "wine-env: wineboot failed for $prefix" >&2; exit 1; }
        lumbra_ensure_fonts "$prefix"

        local cjk cjkfile cjkname=""
        cjk=$(lumbra_find_cjk_font) || cjk=""
        if [ -n "$cjk" ]; then
            cjkfile=$(basename "$cjk")
            case "$cjkfile" in
                NotoSansCJK*) cjkname=",Noto Sans CJK JP" ;;
            esac
        fi

        local user_dir
        user_dir=$(ls -d "$prefix/drive_c/users/"*/ 2>/dev/null | grep -v '/Public/$' | head -n 1)
        user_dir=${user_dir%/}
        local d
        for d in Desktop Documents; do
            if [ -n "$user_dir" ]; then
                rm -rf "${user_dir:?}/$d"
                mkdir -p "$user_dir/$d"
            fi
        done

        local reg="$prefix/lumbra-setup.reg"
        {
            printf 'REGEDIT4\n\n'
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="%s"\n\n' "$LUMBRA_DESKTOP_NAME"
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"%s"="%s"\n\n' "$LUMBRA_DESKTOP_NAME" "$LUMBRA_DESKTOP_SIZE"
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops\\%s]\n"EnableShell"=dword:00000001\n\n' "$LUMBRA_DESKTOP_NAME"
            # No window manager decorations or focus games from the X side.
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n"Decorated"="N"\n\n'
            if [ -n "$cjk" ]; then
                printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\n'
                local face
                for face in "Tahoma" "Liberation Sans" "MS UI Gothic" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
                    printf '"%s"=hex(7):%s\n' "$face" "$(lumbra_multi_sz_hex "$cjkfile$cjkname")"
                done
                printf '\n'
            fi
        } >"$reg"
        wine regedit "$reg" >/dev/null 2>&1
        wineserver -w 2>/dev/null || true
        touch "$prefix/.lumbra-ready"
    ) 9>"$prefix.lock"
    lumbra_ensure_second_drive "$prefix"
}

# The fonts of a prefix, also of one made before the fonts were installed: Wine's own (its
# caption buttons, check marks and arrows are glyphs of Marlett; without it they show as "0", "1",
# "r") and a CJK font, which the registry links behind the UI fonts. Debian ships Wine's fonts
# apart, in fonts-wine; a prefix copies them from Wine's data folder only when it is created.
lumbra_ensure_fonts() {
    local fonts="$1/drive_c/windows/Fonts" wine_fonts=/usr/share/wine/fonts cjk
    mkdir -p "$fonts"
    if [ -f "$wine_fonts/marlett.ttf" ]; then
        [ -f "$fonts/marlett.ttf" ] || cp -f "$wine_fonts"/*.ttf "$wine_fonts"/*.fon "$fonts/" 2>/dev/null || true
    else
        echo "wine-env: Wine's fonts are missing (package fonts-wine; tools/install-deps.sh installs it):" \
             "caption buttons will show letters" >&2
    fi
    cjk=$(lumbra_find_cjk_font) || return 0
    [ -e "$fonts/$(basename "$cjk")" ] || ln -sf "$cjk" "$fonts/$(basename "$cjk")"
}

# Drive L: is another folder of the prefix: a second volume for moves across volumes.
lumbra_ensure_second_drive() {
    local prefix=$1
    [ -e "$prefix/dosdevices/l:" ] && return 0
    mkdir -p "$prefix/drive_l"
    ln -sfn ../drive_l "$prefix/dosdevices/l:" 2>/dev/null || true
}

# Starts the prefix's wineserver and its helper processes (services, the virtual desktop, ...)
# detached from our standard streams. Otherwise the first program of a session starts them and
# they inherit its output pipe, so whoever reads that pipe (CTest, a test harness) waits until
# the session ends. The server stays a minute after its last client, so short test processes
# in a row reuse one warm session.
lumbra_warm_session() {
    # Nothing to do while the prefix's wineserver runs: its socket is there.
    compgen -G "/tmp/wine-*/server-$(printf '%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))/socket" >/dev/null && return 0
    compgen -G "/tmp/.wine-$(id -u)/server-$(printf '%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))/socket" >/dev/null && return 0
    wineserver -p60 </dev/null >/dev/null 2>&1 || true
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

# REG_MULTI_SZ hex for one ASCII string in a REGEDIT4 file (regedit widens the bytes itself).
lumbra_multi_sz_hex() {
    printf '%s' "$1" | od -An -v -tx1 | tr -s ' \n' ',,' | sed 's/^,//; s/,$//' | sed 's/$/,00,00/'
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    cmd=${1:-}
    case "$cmd" in
        display)
            lumbra_ensure_display "${2:-/tmp/lumbra-x}"
            echo "$DISPLAY"
            ;;
        prefix)
            lumbra_ensure_display "$(realpath -m "$2").x" >/dev/null
            lumbra_ensure_prefix "$2"
            lumbra_env "$2"
            lumbra_warm_session
            ;;
        session)
            work=$(realpath -m "$2")
            mkdir -p "$work/logs" "$work/shots"
            if [ -n "${LUMBRA_E2E_DISPLAY:-}" ]; then
                export DISPLAY=$LUMBRA_E2E_DISPLAY
            else
                # Never the caller's display: the tests move the pointer and click.
                unset DISPLAY
                lumbra_ensure_display "$work/x"
            fi
            if [ "${3:-}" = fresh ]; then
                if [ -d "$work/prefix" ]; then
                    lumbra_env "$work/prefix"
                    wineserver -k 2>/dev/null || true
                    wineserver -w 2>/dev/null || true
                fi
                rm -rf "$work/prefix" "$work/prefix.home"
            fi
            lumbra_ensure_prefix "$work/prefix"
            lumbra_env "$work/prefix"
            # The prefix's services started with none of the caller's pipes, and one wineserver for
            # the whole session, so that no program start pays for a new one.
            lumbra_warm_session
            wineserver -p </dev/null >/dev/null 2>&1 || true
            env -0 >"$work/session.env"
            ;;
        end)
            work=$(realpath -m "$2")
            if [ -d "$work/prefix" ]; then
                lumbra_env "$work/prefix"
                wineserver -k 2>/dev/null || true
                wineserver -w 2>/dev/null || true
            fi
            [ -n "${LUMBRA_E2E_DISPLAY:-}" ] || lumbra_stop_display "$work/x"
            ;;
        exec)
            prefix=$2
            shift 2
            lumbra_ensure_display "$(realpath -m "$prefix").x" >/dev/null
            lumbra_ensure_prefix "$prefix"
            lumbra_env "$prefix"
            lumbra_warm_session
            exec "$@"
            ;;
        *)
            echo "usage: wine-env.sh display <state-dir> | prefix <dir> | exec <dir> cmd... | session <work> [fresh] | end <work>" >&2
            exit 2
            ;;
    esac
fi
