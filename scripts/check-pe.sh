#!/usr/bin/env bash
# check-pe.sh OBJDUMP Vignar.cpl Setup.exe [VignarPlugHostNN.exe...]: the DLL
# exports exactly its seven undecorated entries, Setup.exe imports Install
# and Uninstall by name from it, they and the plug-in hosts import nothing but
# system DLLs (runtimes are linked in), each host is built for the processor
# its name says (32: x86, 64: x64), and the DLL's own code does no x87
# floating-point arithmetic.
set -uo pipefail
export LC_ALL=C  # objdump speaks the locale's language otherwise
objdump=$1 dll=$2 exe=$3
shift 3
hosts=("$@")
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
for host in "${hosts[@]}"; do
  check_imports "$host" "$system_dlls"
  case $(basename "$host") in
    *32.exe) format=pei-i386 ;;
    *64.exe) format=pei-x86-64 ;;
    *) format=unknown ;;
  esac
  "$objdump" -f "$host" | grep -q "file format $format\$" || complain "$host is not of the format $format"
done

# The names Setup.exe takes from Vignar.cpl.
from_vignar=$("$objdump" -p "$exe" | awk '/DLL Name:/ {cur=tolower($3); next} /^\s*$/ {cur=""} cur=="vignar.cpl" && NF==3 && $1 ~ /^[0-9a-f]+$/ {print $3}' | sort | tr '\n' ' ')
[ "$from_vignar" = "Install Uninstall " ] || complain "Setup.exe imports '$from_vignar' from Vignar.cpl, expected 'Install Uninstall '"

# The project's own functions (namespace imvexa, the imvexa_ trampolines, the
# exported entries and DllMain) compute in SSE2 doubles, so that the x86 build
# rounds exactly as the x64 one. The only x87 instructions they may hold are
# the exact moves that the i386 calling convention needs for float and double
# results, which travel in st(0): loading a float or double into st(0) and
# storing or popping it (fld/flds/fldl, fst/fsts/fstl, fstp/fstps/fstpl), and
# the constants 0 and 1 (fldz, fld1). Everything else (arithmetic, compares,
# integer conversions, fldt/fstpt, control-word changes) is refused.
own_functions="^(imvexa::|imvexa_|(${exports// /|}DllMain)(@[0-9]+)?\$)"
x87=$("$objdump" -d -C --no-show-raw-insn "$dll" | awk -v own="$own_functions" '
  /^[0-9a-f]+ <.*>:$/ { name = substr($0, index($0, "<") + 1); name = substr(name, 1, length(name) - 2); next }
  name ~ own && /^ *[0-9a-f]+:\t/ {
    split($0, fields, "\t"); split(fields[2], words, " "); op = words[1]
    if (op ~ /^f/ && op != "fs" && op !~ /^(fldz|fld1|flds?|fldl|fsts?|fstl|fstps?|fstpl)$/) print name ": " fields[2]
  }')
[ -z "$x87" ] || complain "x87 arithmetic in the DLL's own code:
$(echo "$x87" | head -n 20)"

[ $fail -eq 0 ] && echo "exports and imports are as expected, no x87 arithmetic"
exit $fail
