#!/usr/bin/env bash
# Refreshes docs/screenshot.png: the real program under a virtual display, in a
# session with the demo device, typed as a user would type it. Then, in a
# second session with times and sent lines shown while COUNT streams,
# docs/aids.png, and docs/find.png with a text found; last docs/bytes.png, a
# session with the bytes of each line shown.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --screenshot
cmake --preset run
cmake --build --preset run

if [[ -z "${SCREENSHOT_DISPLAY_READY:-}" ]]; then
  SCREENSHOT_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 640x600x24" "$0" "$@"
fi

program=
trap '[[ -n $program ]] && kill $program 2>/dev/null || true' EXIT
# Starts the program with these options and waits for its window to take the keys.
start() {
  build/run/app/pellmark --no-settings "$@" &
  program=$!
  window=$(xdotool search --sync --name 'by MpUsbApi')
  xdotool windowfocus --sync "$window"
}
finish() { kill $program; wait $program || true; }
# The send box keeps its text after a send: select it so the next line replaces it.
type_line() { xdotool key ctrl+a; xdotool type --delay 20 "$1"; xdotool key Return; sleep 0.3; }

start
xdotool key ctrl+a
xdotool type --delay 20 demo
xdotool key alt+o
sleep 0.5
for line in HELP "LED ON" "ECHO hello" KANA "COUNT 3"; do type_line "$line"; done
sleep 0.5
import -window "$window" docs/screenshot.png
finish

start --device demo --open --times --echo
sleep 0.5
for line in "LED ON" "ECHO hello" "COUNT 1000000"; do type_line "$line"; done
sleep 1
type_line STOP
type_line "ECHO the stream stopped"
import -window "$window" docs/aids.png
type_line "COUNT 1000000"
sleep 1.5
xdotool key ctrl+f
xdotool type --delay 20 "line 12"
xdotool key Return
sleep 0.5
import -window "$window" docs/find.png
finish

start --device demo --open --bytes --echo
sleep 0.5
for line in "ECHO hello" KANA "LED ON" "COUNT 3"; do type_line "$line"; done
import -window "$window" docs/bytes.png
finish
echo "Wrote docs/screenshot.png, docs/aids.png, docs/find.png and docs/bytes.png"
