#!/usr/bin/env bash
# Plays the demo's start screen through the real game and its SDL sound device, with SDL's disk
# driver standing in for a sound card, and checks that what reached the device is the start
# screen's music track, sample for sample, from within a block of the device opening.
#   scripts/check-sound-device.sh [BUILD_DIR] [SECONDS]
# Needs xvfb-run and python3; the demo data must be in BUILD_DIR/demo (make demo).
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${2:-6}
demo="$build/demo"
[ -f "$demo/music/011.wav" ] || { echo "no demo data in $demo (make demo)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/saves"
for f in "$demo"/*; do [ "$(basename "$f")" = saves ] || ln -s "$f" "$work/"; done
# Settings after an orderly exit, so no options dialog comes up.
printf 'wait 2\nquit\n' > "$work/quit.script"
"$build/vantor-headless" --data "$work" "$work/quit.script" > /dev/null
status=0
(cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/device.raw" \
  xvfb-run -a timeout -s TERM "$seconds" "$build/vantor" > "$work/vantor.log" 2>&1) || status=$?
[ $status -eq 0 ] || [ $status -eq 124 ] || { cat "$work/vantor.log"; exit 1; }
python3 - "$work/device.raw" "$demo/music/011.wav" "$seconds" <<'PY'
import array, sys, wave
raw = array.array('h'); raw.frombytes(open(sys.argv[1], 'rb').read())
w = wave.open(sys.argv[2]); track = array.array('h'); track.frombytes(w.readframes(w.getnframes()))
frames = len(raw) // 2
start = next((f for f in range(0, min(frames, 44100)) if raw[2*f:2*f+800] == track[:800]), None)
if start is None:
    sys.exit("the device did not play track 11")
same = 0
while 2 * (start + same) + 1 < len(raw) and 2 * same + 1 < len(track) and \
        raw[2*(start+same)] == track[2*same] and raw[2*(start+same)+1] == track[2*same+1]:
    same += 1
print(f"device output: {frames / 44100:.2f} s; track 11 from {start / 44.1:.1f} ms on, "
      f"identical for {same / 44100:.2f} s")
if same < (frames - start) - 2048 or same < 44100 * (float(sys.argv[3]) - 3):
    sys.exit("the device's output departs from the track")
PY
