#!/usr/bin/env bash
# The Windows installer under Wine, in a Wine prefix of its own: it installs
# the program under Program Files with a Start-menu entry and an entry among
# the installed programs; the installed program runs as a user starts it,
# with nothing but its own folder to load from; the uninstaller removes what
# was installed and leaves the vendor's library that the user put beside it.
# Run under xvfb-run with the Japanese locale.
set -uo pipefail
wine=$1 setup=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" || exit 1
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
unset WINEPATH
wineserver=$(dirname "$wine")/wineserver64
[[ -x $wineserver ]] || wineserver=$(dirname "$wine")/wineserver
folder="$WINEPREFIX/drive_c/Program Files/Pellmark"
entry="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pellmark.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellmark'
fail() { echo "FAILED: $1"; exit 1; }

"$wine" "$setup" /S && "$wineserver" -w || fail "the installer ended with an error"
for file in pellmark.exe pellmark-run.exe Qt6Core.dll platforms/qwindows.dll LICENSE.txt Qt-LGPL-3.txt Uninstall.exe; do
  [[ -f "$folder/$file" ]] || fail "$file was not installed"
done
[[ -f $entry ]] || fail "no Start-menu entry"
"$wine" reg query "$key" /v DisplayVersion >/dev/null 2>&1 || fail "not among the installed programs"

"$here/ProgramUnderWine.sh" "$wine" "$folder/pellmark.exe" "$work/program" || fail "the installed program"

echo "the user's" >"$folder/mpusbapi.dll"
"$wine" "$folder/Uninstall.exe" /S && "$wineserver" -w || fail "the uninstaller ended with an error"
[[ $(ls -A "$folder") == mpusbapi.dll ]] || fail "the folder holds $(ls -A "$folder" | tr '\n' ' ')"
[[ ! -e $entry ]] || fail "the Start-menu entry stayed"
"$wine" reg query "$key" >/dev/null 2>&1 && fail "still among the installed programs"
exit 0
