#!/usr/bin/env bash
# pellmark-run.exe under Wine: on the demo device with files whose names the
# ANSI code page cannot hold, on the stand-in of the vendor's library beside
# it, and with no library at all.
set -uo pipefail
wine=$1 exe=$2 standin=$3 work=$4
rm -rf "$work" && mkdir -p "$work/with-library" "$work/without-library" && cd "$work" || exit 1
cp "$exe" with-library/ && cp "$standin" with-library/ && cp "$exe" without-library/
failed=0
check() { # what, status wanted, status got, then a pattern the output must hold
  if [[ $3 -ne $2 ]] || ! grep -qE "$4" out.txt; then
    echo "FAILED: $1 (status $3, wanted $2)"; cat out.txt; failed=1
  fi
}

printf 'device demo\ntest led\nsend LED ON\nexpect OK\ntest echo\nsend ECHO x\nexpect /y/ within 100ms\n' >'scrïpt-é.txt'
"$wine" with-library/pellmark-run.exe --junit 'résumé-テスト.xml' --log 'ログ-é.log' 'scrïpt-é.txt' >out.txt 2>&1
check "demo device" 1 $? '^ok 1 - led$'
grep -q '^not ok 2 - echo$' out.txt || { echo "FAILED: the second test passed"; failed=1; }
xmllint --noout 'résumé-テスト.xml' || failed=1
grep -q ' OK$' 'ログ-é.log' || { echo "FAILED: no OK in the log"; failed=1; }

printf 'device vid_04d8&pid_000c\ntest write\nsend PING\nwait 50ms\n' >library.txt
"$wine" with-library/pellmark-run.exe library.txt >out.txt 2>&1
check "stand-in library" 0 $? '^ok 1 - write'
"$wine" without-library/pellmark-run.exe library.txt >out.txt 2>&1
check "no library" 3 $? 'mpusbapi.dll could not be loaded'
exit $failed
