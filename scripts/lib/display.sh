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
