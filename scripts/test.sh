#!/usr/bin/env bash
# test.sh: builds every tree and runs every test: the portable tests natively
# and under sanitizers, a short run of each fuzz target, the Windows tests
# under wine64, the x86 tests under emulation, and the export/import checks of
# both Windows architectures.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/build.sh" || exit 1

failed=()
run_ctest() {
  local tree=$1
  echo "== tests in build/$tree"
  ctest --test-dir "$root/build/$tree" --output-on-failure -j"${IMVEXA_JOBS:-$(nproc)}" || failed+=("$tree")
}

# The Windows tests of a tree share one persistent wineserver in its prefix,
# started before CTest and stopped (and waited for) after it, so that no Wine
# process outlives the run and none holds CTest's output pipe.
run_wine_ctest() {
  local tree=$1
  echo "== tests in build/$tree"
  (
    WINEPREFIX=$root/build/$tree/wineprefix
    . "$root/scripts/wine-env.sh"
    wineserver -p
    wine64 wineboot </dev/null >/dev/null 2>&1
    trap 'wineserver -k; wineserver -w' EXIT
    ctest --test-dir "$root/build/$tree" --output-on-failure -j"${IMVEXA_JOBS:-$(nproc)}"
  ) || failed+=("$tree")
}

run_ctest native
run_ctest asan
run_ctest fuzz
# x86: the export/import checks, and the tests under emulation (label x86-emulated).
run_wine_ctest win32
run_wine_ctest win64

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED in: ${failed[*]}"
  exit 1
fi
echo "all tests passed"
