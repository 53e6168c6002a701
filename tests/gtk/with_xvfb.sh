#!/bin/sh
# Runs a command with DISPLAY set to a private Xvfb server, then stops the server.
# Usage: with_xvfb.sh command [args...]. The exit status is the command's.
# A display number in use (or taken by a parallel run in the meantime) is skipped.
set -u
n=${TOVANEK_XVFB_FIRST:-90}
tries=0
while :; do
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  i=0
  while ! xdpyinfo -display ":${n}" >/dev/null 2>&1 && kill -0 "$xvfb" 2>/dev/null \
      && [ "$i" -lt 100 ]; do
    i=$((i + 1)); sleep 0.1
  done
  if xdpyinfo -display ":${n}" >/dev/null 2>&1 && kill -0 "$xvfb" 2>/dev/null; then break; fi
  kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null
  tries=$((tries + 1)); n=$((n + 1))
  if [ "$tries" -ge 20 ]; then echo "with_xvfb.sh: no Xvfb display could be started" >&2; exit 1; fi
done
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null' EXIT INT TERM
DISPLAY=":${n}" "$@"
