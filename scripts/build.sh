#!/usr/bin/env bash
# build.sh [TREE...]: configures and builds the named build trees under build/
# (default: all). native: the portable core, tests, benchmarks and the native
# front end; asan: the same with AddressSanitizer and UBSan; fuzz: the
# libFuzzer targets (clang); win64, win32: the whole product for Windows.
# IMVEXA_JOBS sets the parallel jobs (default: all processors), IMVEXA_TARGETS
# limits the build to the named targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${IMVEXA_JOBS:-$(nproc)}
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native asan fuzz win64 win32)

options_for() {
  case $1 in
    native) echo "-DCMAKE_BUILD_TYPE=RelWithDebInfo" ;;
    asan) echo "-DCMAKE_BUILD_TYPE=Debug -DIMVEXA_SANITIZE=ON -DIMVEXA_BENCH=OFF" ;;
    fuzz) echo "-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DIMVEXA_FUZZ=ON" ;;
    win64) echo "-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$root/cmake/toolchain-win64.cmake -DIMVEXA_NATIVE_THUMB=$root/build/native/tools/imvexa-thumb" ;;
    win32) echo "-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$root/cmake/toolchain-win32.cmake -DIMVEXA_RUN_WINDOWS_TESTS=ON -DIMVEXA_X64_BUILD=$root/build/win64" ;;
    *) echo "unknown build tree: $1" >&2; return 1 ;;
  esac
}

for tree in "${trees[@]}"; do
  options=$(options_for "$tree")
  echo "== build/$tree"
  # shellcheck disable=SC2086
  cmake -S "$root" -B "$root/build/$tree" -G Ninja $options >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$root/build/$tree" -j"$jobs" ${IMVEXA_TARGETS:+--target $IMVEXA_TARGETS}
done
