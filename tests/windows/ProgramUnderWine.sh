#!/usr/bin/env bash
# pellmark.exe under Wine and Xvfb, as a user starts it: on the demo device,
# opened at once, its log under a name no ANSI code page holds; KANA typed and
# sent shows the Japanese answer (in the log, which holds what the receive area
# shows); Alt+F4 closes the window and the program ends with 0. Run under
# xvfb-run.
set -uo pipefail
wine=$1 exe=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
# A Wine server left from an earlier test still serves that test's display,
# which is gone: this program's window would never reach this one.
wineserver=$(dirname "$wine")/wineserver64
[[ -x $wineserver ]] || wineserver=$(dirname "$wine")/wineserver
"$wineserver" -k 2>/dev/null
log=résumé-テスト.log
"$wine" "$exe" --no-settings --device demo --open --log "$log" >out.txt 2>&1 &
program=$!
fail() { echo "FAILED: $1"; cat out.txt "$log" 2>/dev/null; kill $program 2>/dev/null; exit 1; }
waitFor() { # what, then a command that holds once it has happened
  local what=$1
  shift
  for _ in $(seq 300); do
    "$@" >/dev/null 2>&1 && return 0
    kill -0 $program 2>/dev/null || fail "the program ended before $what"
    sleep 0.1
  done
  fail "$what did not happen within 30 s"
}

waitFor "the window showed" xdotool search --name 'by MpUsbApi[.]dll'
window=$(xdotool search --name 'by MpUsbApi[.]dll' | head -1)
waitFor "the device opened" grep -q $'\topen\tdemo$' "$log"
xdotool windowfocus --sync "$window" type --delay 20 KANA
xdotool key Return
waitFor "the answer showed" grep -q 'こんにちは、世界。送受信テスト$' "$log"
grep -q ' ﾃﾞﾓ ﾃﾞﾊﾞｲｽ$' "$log" || fail "the katakana line is not there"
xdotool windowfocus --sync "$window" key alt+F4
for _ in $(seq 100); do
  kill -0 $program 2>/dev/null || break
  sleep 0.1
done
kill -0 $program 2>/dev/null && fail "the window did not close"
wait $program
status=$?
[[ $status -eq 0 ]] || fail "the program ended with $status"
grep -q $'\tclose\tdemo at exit$' "$log" || fail "no close at exit in the log"
