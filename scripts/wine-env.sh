#!/usr/bin/env bash
# A quiet, fast, private Wine for the Windows x64 tests.
#
#   source scripts/wine-env.sh [BUILD_DIR]; vyr_wine_start; ctest ...; vyr_wine_stop
#   eval "$(scripts/wine-env.sh start [BUILD_DIR])"  ...  scripts/wine-env.sh stop [BUILD_DIR]
#
# BUILD_DIR defaults to build/win64 of this checkout.  The prefix lives in
# BUILD_DIR/wineprefix (the place the win64 tests expect it).  It is made once
# and reused: copied from a prefix this script prepared earlier on this machine
# (VYR_WINE_TEMPLATE, by default in ~/.cache/vyr/), or else made with wineboot
# and kept there as the template (not when CI=true).  Start brings up, in this order and with no terminal or
# pipe attached: a private Xvfb display, the persistent wine
# server, the virtual desktop and one cmd.exe.  Background processes that
# inherit ctest's output pipe would keep ctest waiting for ever.  Stop ends the
# wine server and the Xvfb this script started (by its process id).

_vyr_wine_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VYR_WINE64=/usr/lib/wine/wine64
VYR_WINESERVER=/usr/lib/wine/wineserver64

_vyr_wine_env() {
    local build="${1:-${VYR_WINE_BUILD:-$_vyr_wine_root/build/win64}}"
    local dir
    dir="$(mkdir -p "$build" && cd "$build" && pwd)" && [ -n "$dir" ] ||
        { _vyr_wine_log "cannot use build directory $build"; return 1; }
    VYR_WINE_BUILD="$dir"
    export VYR_WINE_BUILD
    export WINEPREFIX="$VYR_WINE_BUILD/wineprefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

_vyr_wine_log() { echo "wine-env: $*" >&2; }

# Run a Wine program with nothing attached; its output goes to the log file.
_vyr_wine_quiet() {
    "$VYR_WINE64" "$@" </dev/null >>"$VYR_WINE_BUILD/wine-env.log" 2>&1
}

_vyr_wine_prefix_ready() {
    [ -f "$1/.vyr-ready" ] && [ -f "$1/system.reg" ]
}

# Make the prefix: boot it, install the fonts this Wine does not find by
# itself, and configure the virtual desktop (no window manager runs under
# Xvfb, so without it every window close waits two seconds).
_vyr_wine_make_prefix() {
    rm -rf "$WINEPREFIX"
    local version
    version="$("$VYR_WINE64" --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' '_')"
    local template="${VYR_WINE_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/vyr/wineprefix-$version}"
    if _vyr_wine_prefix_ready "$template"; then
        _vyr_wine_log "copying prepared prefix $template"
        if cp -a "$template" "$WINEPREFIX"; then
            return 0
        fi
        rm -rf "$WINEPREFIX"
    fi
    _vyr_wine_log "creating $WINEPREFIX"
    _vyr_wine_quiet wineboot --init || { _vyr_wine_log "wineboot failed (see $VYR_WINE_BUILD/wine-env.log)"; return 1; }
    "$VYR_WINESERVER" -w
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/*.ttf "$fonts/" || { _vyr_wine_log "no fonts in /usr/share/wine/fonts (package fonts-wine)"; return 1; }
    _vyr_wine_quiet reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
        _vyr_wine_quiet reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f ||
        { _vyr_wine_log "registry setup failed"; return 1; }
    # The registry is written when the server ends.
    "$VYR_WINESERVER" -k 2>/dev/null || true
    "$VYR_WINESERVER" -w 2>/dev/null || true
    touch "$WINEPREFIX/.vyr-ready"
    # Keep a copy for the next build directory on this machine (a copy takes
    # a second, a new prefix ten or more).  A CI machine is used once.
    if [ "${CI:-}" != "true" ] && [ ! -e "$template" ]; then
        mkdir -p "$(dirname "$template")" &&
            cp -a "$WINEPREFIX" "$template.tmp.$$" &&
            mv -T "$template.tmp.$$" "$template" 2>/dev/null
        rm -rf "$template.tmp.$$"
    fi
    return 0
}

# Pick a free display number and start Xvfb on it.
_vyr_wine_start_xvfb() {
    local n=99
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    mkdir -p "$VYR_WINE_BUILD/xvfb"
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -nocursor -fbdir "$VYR_WINE_BUILD/xvfb" \
        </dev/null >>"$VYR_WINE_BUILD/wine-env.log" 2>&1 &
    local pid=$!
    echo "$pid" >"$VYR_WINE_BUILD/xvfb.pid"
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        if ! kill -0 "$pid" 2>/dev/null; then
            _vyr_wine_log "Xvfb did not start (see $VYR_WINE_BUILD/wine-env.log)"
            rm -f "$VYR_WINE_BUILD/xvfb.pid"
            return 1
        fi
        sleep 0.1
    done
    export DISPLAY=":$n"
    echo "$DISPLAY" >"$VYR_WINE_BUILD/xvfb.display"
    _vyr_wine_log "Xvfb on $DISPLAY (pid $pid)"
}

vyr_wine_start() {
    _vyr_wine_env "${1:-}" || return 1
    [ -x "$VYR_WINE64" ] || { _vyr_wine_log "$VYR_WINE64 not found (package wine64)"; return 1; }
    : >"$VYR_WINE_BUILD/wine-env.log"
    if ! _vyr_wine_prefix_ready "$WINEPREFIX"; then
        _vyr_wine_make_prefix || return 1
    fi
    # The tests get their own headless display, never the user's desktop.
    local pid
    pid="$(cat "$VYR_WINE_BUILD/xvfb.pid" 2>/dev/null || true)"
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && [ -f "$VYR_WINE_BUILD/xvfb.display" ]; then
        DISPLAY="$(cat "$VYR_WINE_BUILD/xvfb.display")"
        export DISPLAY
    else
        _vyr_wine_start_xvfb || return 1
    fi
    "$VYR_WINESERVER" -k 2>/dev/null || true
    "$VYR_WINESERVER" -w 2>/dev/null || true
    "$VYR_WINESERVER" -p </dev/null >/dev/null 2>&1 || { _vyr_wine_log "wineserver did not start"; return 1; }
    "$VYR_WINE64" explorer.exe /desktop=Default,1024x768 </dev/null >>"$VYR_WINE_BUILD/wine-env.log" 2>&1 &
    _vyr_wine_quiet cmd.exe /c exit || { _vyr_wine_log "cmd.exe /c exit failed (see $VYR_WINE_BUILD/wine-env.log)"; return 1; }
}

vyr_wine_stop() {
    _vyr_wine_env "${1:-}" || return 1
    if [ -d "$WINEPREFIX" ]; then
        "$VYR_WINESERVER" -k 2>/dev/null || true
    fi
    local pidfile="$VYR_WINE_BUILD/xvfb.pid"
    if [ -f "$pidfile" ]; then
        local pid
        pid="$(cat "$pidfile")"
        rm -f "$pidfile" "$VYR_WINE_BUILD/xvfb.display"
        if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
            local i
            for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        fi
    fi
    return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    case "${1:-}" in
    start)
        # On failure "false" goes to the caller's eval, so that fails too.
        vyr_wine_start "${2:-}" || { echo false; exit 1; }
        # For eval by the caller: the environment the tests need.
        for v in WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES DISPLAY; do
            printf 'export %s=%q\n' "$v" "${!v:-}"
        done
        ;;
    stop) vyr_wine_stop "${2:-}" ;;
    *)
        echo "usage: $0 start|stop [BUILD_DIR]   (or source it and call vyr_wine_start / vyr_wine_stop)" >&2
        exit 2
        ;;
    esac
else
    _vyr_wine_env "${1:-}" || return 1
fi
