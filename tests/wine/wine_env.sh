# Source this: functions that run our Windows build under Wine on a private
# Xvfb, with a fresh prefix inside the build folder. Every process started
# here is ended by its id in wine_env_stop.
#
#   wine_env_start DISPLAY_NUMBER PREFIX_DIR   starts Xvfb and wineserver, makes the prefix
#   wine_run SECONDS exe args...               runs under wine64, bounded; returns its exit code
#   wine_env_stop                              ends wineserver and Xvfb

WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}

wine_env_start() {
  local display_number=$1
  export WINEPREFIX=$2
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export DISPLAY=:$display_number
  Xvfb ":$display_number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  WINE_ENV_XVFB_PID=$!
  local i
  for i in $(seq 1 50); do
    xdpyinfo -display ":$display_number" >/dev/null 2>&1 && break
    sleep 0.1
  done
  if ! xdpyinfo -display ":$display_number" >/dev/null 2>&1; then
    echo "wine_env: Xvfb did not start on :$display_number" >&2
    return 1
  fi
  if [ ! -f "$WINEPREFIX/.voq-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    timeout 120 "$WINE64" wineboot -i >/dev/null 2>&1
    # DirectDraw on Xvfb needs the GDI renderer and a virtual desktop of the
    # saver's size; without the desktop the 8-bit mode switch is refused.
    timeout 60 "$WINE64" reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
    timeout 60 "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    timeout 60 "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 640x480 /f >/dev/null 2>&1
    timeout 60 "$WINESERVER" -w
    touch "$WINEPREFIX/.voq-ready"
  fi
  # One server for all runs of this session is much faster.
  "$WINESERVER" -p >/dev/null 2>&1 &
  WINE_ENV_SERVER_PID=$!
}

wine_run() {
  local seconds=$1
  shift
  timeout --kill-after=5 "$seconds" "$WINE64" "$@"
}

wine_env_stop() {
  "$WINESERVER" -k >/dev/null 2>&1
  [ -n "${WINE_ENV_SERVER_PID:-}" ] && kill "$WINE_ENV_SERVER_PID" 2>/dev/null
  [ -n "${WINE_ENV_XVFB_PID:-}" ] && kill "$WINE_ENV_XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  WINE_ENV_SERVER_PID=
  WINE_ENV_XVFB_PID=
}
