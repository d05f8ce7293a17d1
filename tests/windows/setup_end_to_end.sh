#!/usr/bin/env bash
# setup_end_to_end.sh SCRIPTS DIST THUMBHOST ANSWER_BOXES SAMPLES OUT, run by
# wine-gui-run (a display and a throwaway prefix): installs with Setup.exe from
# the distribution folder as a user does, gets thumbnails through the
# installed handler as Explorer does (thumbhost.exe without --dll), then runs
# the command of the uninstall entry and checks that the handler found before
# installing is back, that no handler of Imvexa is left and that the installed
# files are due for deletion at restart.
set -u
scripts=$1 dist=$2 thumbhost=$3 answer_boxes=$4 samples=$5 out=$6
. "$scripts/wine-answering.sh"
mkdir -p "$out"
wineserver -p
wine64 wineboot </dev/null >/dev/null 2>&1
fail=0
complain() { echo "FAIL: $*"; fail=1; }
# value KEY [NAME]: the data of a value (without NAME, the default value).
value() {
  local which=(/ve)
  [ $# -gt 1 ] && which=(/v "$2")
  wine64 reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' | LC_ALL=C sed -nE 's/^ +.* +REG_[A-Z_]+ +//p'
}

png_handler='HKCR\.png\Shellex\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}'
foreign='{11111111-2222-3333-4444-555555555555}'
wine64 reg add "$png_handler" /ve /d "$foreign" /f >/dev/null

(cd "$dist" && answering "$answer_boxes" ok wine64 Setup.exe) || complain "Setup.exe did not install"
server=$(value 'HKCR\CLSID\{5A3C9E71-2B84-4F6D-9C13-7E2A4B8D0F65}\InprocServer32')
[ "$server" = 'C:\windows\system32\Vignar.cpl' ] || complain "the registered server is '$server'"
for sample in depth24.bmp truecolour.png; do
  result=$(wine64 "$thumbhost" "$samples/$sample" "$out/$sample.bmp" 2>&1) || complain "$sample: $result"
  echo "$sample after installing: $result"
done

entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Imvexa'
uninstall=$(value "$entry" UninstallString)
echo "uninstall entry: $uninstall"
[ "$uninstall" = 'C:\windows\system32\Vignar.exe /U' ] || complain "unexpected uninstall command '$uninstall'"
# shellcheck disable=SC2086
answering "$answer_boxes" "yes yes no" wine64 $uninstall || complain "the uninstall command did not run"

[ "$(value "$png_handler")" = "$foreign" ] || complain "the handler found before installing is not back"
result=$(wine64 "$thumbhost" "$samples/depth24.bmp" "$out/after.bmp" 2>&1)
echo "after uninstalling: $result"
echo "$result" | grep -q "no thumbnail handler" || complain "a handler is left after uninstalling"
wine64 reg query "$entry" >/dev/null 2>&1 && complain "the uninstall entry is left"
pending=$(wine64 reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations)
for file in Vignar.exe Vignar.cpl; do
  echo "$pending" | grep -qi "system32\\\\$file" || complain "$file is not due for deletion at restart"
done
exit $fail
