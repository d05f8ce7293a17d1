#!/usr/bin/env bash
# registry_end_to_end.sh WINE_RUN PREFIX DLL THUMBHOST SAMPLES OUT
# Registers the built DLL the way an installer does (regsvr32), renders every
# sample through the registry as Explorer does (thumbhost.exe without --dll),
# then unregisters it and checks that no handler is left.
set -u
wine_run=$1 prefix=$2 dll=$3 thumbhost=$4 samples=$5 out=$6
run() { "$wine_run" "$prefix" "$@"; }
fail=0
mkdir -p "$out"

run regsvr32 /s "$dll" || { echo "FAIL: regsvr32 returned $?"; exit 1; }
for sample in "$samples"/*.*; do
  name=$(basename "$sample")
  result=$(run "$thumbhost" "$sample" "$out/$name.bmp" 2>&1)
  status=$?
  echo "$name: $result"
  [ $status -eq 0 ] || { echo "FAIL: $name gave exit status $status"; fail=1; }
done

run regsvr32 /u /s "$dll" || { echo "FAIL: regsvr32 /u returned $?"; fail=1; }
result=$(run "$thumbhost" "$samples/depth24.bmp" "$out/after.bmp" 2>&1)
status=$?
echo "after unregistering: $result"
if [ $status -ne 2 ] || ! echo "$result" | grep -q "no thumbnail handler"; then
  echo "FAIL: a handler is still registered after unregistering"
  fail=1
fi
exit $fail
