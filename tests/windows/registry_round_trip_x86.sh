#!/usr/bin/env bash
# registry_round_trip_x86.sh SCRIPTS PREFIX DLL THUMBHOST SAMPLE OUT
# Registers the x86 DLL with the 32-bit regsvr32 (under emulation), checks
# that the class is registered in the 32-bit registry view only and that the
# extension's handler (a key both views share) names it, renders a sample
# through the registry with the x86 thumbhost.exe, unregisters and checks that
# the class and the handler are gone. The registry is read with the 64-bit
# reg.exe, which needs no emulation; /reg:32 and /reg:64 choose the view.
set -u
scripts=$1 prefix=$2 dll=$3 thumbhost=$4 sample=$5 out=$6
class='HKLM\Software\Classes\CLSID\{5A3C9E71-2B84-4F6D-9C13-7E2A4B8D0F65}\InprocServer32'
handler='HKCR\.bmp\ShellEx\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}'
run32() { "$scripts/wine-run32" "$prefix" "$@"; }
# query KEY [OPTION]: the key's values; fails when the key does not exist.
query() { "$scripts/wine-run" "$prefix" reg query "$@" </dev/null 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
fail=0
complain() { echo "FAIL: $*"; fail=1; }
mkdir -p "$out"

run32 regsvr32 /s "$dll" || { echo "FAIL: regsvr32 returned $?"; exit 1; }
query "$class" /reg:32 | grep -qi 'Vignar\.cpl' || complain "the class is not registered in the 32-bit view"
query "$class" /reg:64 >/dev/null && complain "the x86 DLL registered its class in the 64-bit view"
query "$handler" | grep -q '{5A3C9E71' || complain "the .bmp thumbnail handler does not name the class"

result=$(run32 "$thumbhost" "$sample" "$out/registered.bmp" 2>&1)
echo "through the registry: $result"
echo "$result" | grep -q 'hr=0x00000000' || complain "no thumbnail through the 32-bit registry"

run32 regsvr32 /u /s "$dll" || complain "regsvr32 /u returned $?"
query "$class" /reg:32 >/dev/null && complain "the class is still registered after unregistering"
query "$handler" | grep -q '{5A3C9E71' && complain "the .bmp handler still names the class after unregistering"
[ $fail -eq 0 ] && echo "registered, used and unregistered in the 32-bit view"
exit $fail
