#!/usr/bin/env bash
# launcher_arguments.sh WINE_RUN PREFIX SETUP_EXE STUB_DLL OUT
# Runs Setup.exe beside a stand-in Vignar.cpl that records which export it
# calls: "/U" and "/u" as the first argument uninstall, anything else (or
# nothing) installs, further arguments are ignored, and the exit code is 0.
set -u
wine_run=$1 prefix=$2 setup=$3 stub=$4 out=$5
mkdir -p "$out"
cp "$setup" "$stub" "$out/"
cd "$out" || exit 2
fail=0
check() {
  local expected=$1
  shift
  rm -f calls.txt
  "$wine_run" "$prefix" ./Setup.exe "$@"
  local status=$? called
  called=$(tr -d '\r' <calls.txt 2>/dev/null)
  echo "Setup.exe $*: $called, exit $status"
  [ "$called" = "$expected" ] && [ $status -eq 0 ] || { echo "FAIL: expected $expected, exit 0"; fail=1; }
}
check uninstall /U
check uninstall /u
check uninstall /U extra
check install -u
check install /uninstall
check install /U2
check install
exit $fail
