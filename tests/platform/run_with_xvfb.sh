#!/usr/bin/env bash
# Runs a test program against a private X server, with no window manager or with the one named.
# usage: run_with_xvfb.sh WM|none PROGRAM [ARGS...]
# Exits 77 (skipped) when Xvfb or the window manager is not installed.
set -u
wm=$1
shift
command -v Xvfb >/dev/null || { echo "Xvfb is not installed: skipped"; exit 77; }
if [ "$wm" != none ] && ! command -v "$wm" >/dev/null; then
  echo "$wm is not installed: skipped"; exit 77
fi

# A display number nobody uses; -displayfd would need a newer Xvfb than some machines have.
for n in $(seq 90 140); do
  [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] || break
done
Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
wm_pid=
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
export DISPLAY=:$n
for _ in $(seq 50); do
  [ -e /tmp/.X11-unix/X$n ] && break
  sleep 0.1
done
[ -e /tmp/.X11-unix/X$n ] || { echo "Xvfb did not start"; exit 1; }

if [ "$wm" != none ]; then
  "$wm" >/dev/null 2>&1 &
  wm_pid=$!
  sleep 1
  kill -0 "$wm_pid" 2>/dev/null || { echo "$wm did not start"; exit 1; }
fi
# Under the sanitizers: what the system libraries keep until exit is not a leak of ours.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan-system-libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
VANTOR_TEST_WM=$([ "$wm" = none ] && echo no-wm || echo "$wm") SDL_AUDIODRIVER=dummy "$@"
