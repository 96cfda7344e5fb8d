# Sourced by the scripts that open windows without a display of their own.
# start_private_display: starts Xvfb on the first free display number, exports
# DISPLAY and sets xvfb_pid (the caller kills it when done).
start_private_display() {
  local display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  # Until it accepts clients.
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && return 0
    sleep 0.1
  done
}

# start_private_session BUILD_DIR: a private display for the Wine prefix of
# BUILD_DIR (the one WINE_ENV_PREFIX selects). On exit every Wine process of
# that prefix ends and Xvfb is killed.
start_private_session() {
  session_build=$1
  start_private_display
  trap stop_private_session EXIT
}

stop_private_session() {
  "$display_lib_dir/../wine-env" "$session_build" --stop 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}

display_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
