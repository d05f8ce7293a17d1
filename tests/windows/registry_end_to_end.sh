#!/usr/bin/env bash
# registry_end_to_end.sh WINE_RUN PREFIX DLL THUMBHOST SAMPLES OUT
# Registers the built DLL the way an installer does (regsvr32), renders every
# sample through the registry as Explorer does (thumbhost.exe without --dll),
# through both the extractor and the thumbnail provider at 256 pixels,
# checks that an output file it cannot write is a harness error (exit 2), then
# unregisters the DLL and checks that no handler is left.
set -u
wine_run=$1 prefix=$2 dll=$3 thumbhost=$4 samples=$5 out=$6
run() { "$wine_run" "$prefix" "$@"; }
fail=0
mkdir -p "$out"

run regsvr32 /s "$dll" || { echo "FAIL: regsvr32 returned $?"; exit 1; }
for sample in "$samples"/*.*; do
  name=$(basename "$sample")
  for provider in "" "--provider --size 256"; do
    # shellcheck disable=SC2086
    result=$(run "$thumbhost" $provider "$sample" "$out/$name${provider:+.256}.bmp" 2>&1)
    status=$?
    echo "$name${provider:+ (provider)}: $result"
    [ $status -eq 0 ] || { echo "FAIL: $name${provider:+ (provider)} gave exit status $status"; fail=1; }
  done
done

message=$(run "$thumbhost" "$samples/depth24.bmp" "$out/no-such-folder/out.bmp" 2>&1 >/dev/null)
status=$?
echo "unwritable output: $message"
if [ $status -ne 2 ] || ! echo "$message" | grep -q "output file"; then
  echo "FAIL: an output file that cannot be written gave exit status $status"
  fail=1
fi

run regsvr32 /u /s "$dll" || { echo "FAIL: regsvr32 /u returned $?"; fail=1; }
for provider in "" "--provider --size 256"; do
  # shellcheck disable=SC2086
  result=$(run "$thumbhost" $provider "$samples/depth24.bmp" "$out/after.bmp" 2>&1)
  status=$?
  echo "after unregistering${provider:+ (provider)}: $result"
  if [ $status -ne 2 ] || ! echo "$result" | grep -q "no thumbnail handler"; then
    echo "FAIL: a handler${provider:+ (provider)} is still registered after unregistering"
    fail=1
  fi
done
exit $fail
