#!/usr/bin/env bash
# check-pe.sh OBJDUMP Vignar.cpl Setup.exe: the DLL exports exactly its seven
# undecorated entries, Setup.exe imports Install and Uninstall by name from
# it, and both import nothing but system DLLs (runtimes are linked in).
set -uo pipefail
export LC_ALL=C  # objdump speaks the locale's language otherwise
objdump=$1 dll=$2 exe=$3
fail=0
complain() { echo "FAIL: $*"; fail=1; }

exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -nE 's/^\s*\[ *[0-9]+\] (\S+)$/\1/p' | sort | tr '\n' ' ')
expected="CPlApplet DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer Install Uninstall "
[ "$exports" = "$expected" ] || complain "exports of $dll are '$exports', expected '$expected'"

system_dlls='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|shell32|shlwapi|comctl32|comdlg32|msvcrt|version)\.dll$'
check_imports() {
  local file=$1 allowed=$2
  local dlls
  dlls=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || complain "$file imports no DLL at all (objdump output unreadable?)"
  for d in $dlls; do
    echo "$d" | grep -qE "$allowed" || complain "$file imports $d"
  done
}
check_imports "$dll" "$system_dlls"
check_imports "$exe" "$system_dlls|^vignar\.cpl$"

# The names Setup.exe takes from Vignar.cpl.
from_vignar=$("$objdump" -p "$exe" | awk '/DLL Name:/ {cur=tolower($3); next} /^\s*$/ {cur=""} cur=="vignar.cpl" && NF==3 && $1 ~ /^[0-9a-f]+$/ {print $3}' | sort | tr '\n' ' ')
[ "$from_vignar" = "Install Uninstall " ] || complain "Setup.exe imports '$from_vignar' from Vignar.cpl, expected 'Install Uninstall '"

[ $fail -eq 0 ] && echo "exports and imports are as expected"
exit $fail
