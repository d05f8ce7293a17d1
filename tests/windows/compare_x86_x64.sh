#!/usr/bin/env bash
# compare_x86_x64.sh SCRIPTS PREFIX SAMPLES OUT X86_PROGRAM X86_DLL X86_PLUGIN X64_PROGRAM X64_DLL X64_PLUGIN [RUNNER]
# Runs extract_samples of the x86 build (under emulation) and of the x64 build
# (under wine64) over every sample and a plug-in's picture, both modes, and
# checks that the two runs wrote the same result lines and the same thumbnail
# files byte for byte. RUNNER (default wine-run32) runs the first: wine-run
# when it is the x64 program with a 32-bit plug-in, whose host then runs
# under emulation.
set -u
scripts=$1 prefix=$2 samples=$3 out=$4 first_runner=${11:-wine-run32}
windows() { echo "Z:$1" | tr / '\\'; }
run() {
  local runner=$1 arch=$2 program=$3 dll=$4 plugin=$5
  echo "== $arch"
  "$scripts/$runner" "$prefix" "$program" "$(windows "$dll")" "$(windows "$samples")" "$(windows "$plugin")" \
    "$(windows "$out/$arch")" || { echo "FAIL: the $arch run ended with status $?"; exit 1; }
}
rm -rf "$out"
mkdir -p "$out"
run "$first_runner" x86 "$5" "$6" "$7"
run wine-run x64 "$8" "$9" "${10}"

thumbnails=$(find "$out/x64" -name '*.bmp' | wc -l)
[ "$thumbnails" -gt 0 ] || { echo "FAIL: the x64 run wrote no thumbnail"; exit 1; }
if ! diff -r "$out/x64" "$out/x86"; then
  echo "FAIL: the x86 thumbnails differ from the x64 ones"
  exit 1
fi
echo "x86 and x64 agree: $thumbnails thumbnails and $(wc -l <"$out/x64/results.txt") results, byte for byte"
