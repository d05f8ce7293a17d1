#!/usr/bin/env bash
# bench/pipeline/run.sh [--runs N] [--baseline COMMIT | --baseline-program PATH]
#
# The pixel pipeline's figures, natively: wall time and peak resident memory
# of one thumbnail (imvexa-thumb --square, 120 pixels) for each file of a generated
# corpus, as a markdown table on standard output (progress on standard error).
#
# - Builds imvexa-thumb, the corpus generator and the runner in build/native
#   (IMVEXA_JOBS parallel jobs, default all processors).
# - Generates the corpus into build/bench-corpus (about 1 GB, under a minute)
#   unless it is there and newer than its generator: gigapixel PNGs (16000 ×
#   16000 RGB, 30000 × 30000 palette, 60000 × 10000 1-bit), a 10000 × 10000
#   palette PNG, 6000 × 4000 baseline and progressive JPEGs, 4000 × 3000 PNG,
#   BMP and 256-colour MAG, a 2000 × 1500 JPEG; all photograph-like
#   (gradients under a fine grain).
# - Runs each file N times (default 5) and reports the median wall time, its
#   spread (min–max), the median processor time and the median peak. A run
#   that exits with a status other than 0 makes its program's cells "fails".
# - With --baseline COMMIT, builds imvexa-thumb of that commit (a detached
#   git worktree in build/baseline/source, RelWithDebInfo in
#   build/baseline/native) and runs it in turns with this tree's, adding the
#   ratios this tree / baseline and whether both thumbnails are the same
#   bytes. --baseline-program PATH takes an imvexa-thumb already built.
#
# Not part of the test suite: a full run with a baseline takes minutes, and
# its figures mean something only on a machine otherwise idle.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=5
baseline_commit=
baseline_program=

usage() {
  echo "usage: $0 [--runs N] [--baseline COMMIT | --baseline-program PATH]" >&2
  exit 2
}

while [ $# -gt 0 ]; do
  case $1 in
    --runs) [ $# -ge 2 ] || usage; runs=$2; shift 2 ;;
    --baseline) [ $# -ge 2 ] || usage; baseline_commit=$2; shift 2 ;;
    --baseline-program) [ $# -ge 2 ] || usage; baseline_program=$2; shift 2 ;;
    *) usage ;;
  esac
done
[ -z "$baseline_commit" ] || [ -z "$baseline_program" ] || usage

if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
fi
jobs=${IMVEXA_JOBS:-$(nproc)}
native=$root/build/native

# Builds imvexa-thumb of the commit into build/baseline; prints the program's path.
build_baseline() {
  local commit source=$root/build/baseline/source tree=$root/build/baseline/native
  commit=$(git -C "$root" rev-parse --verify "$1^{commit}")
  if [ "$(git -C "$source" rev-parse HEAD 2>/dev/null)" != "$commit" ]; then
    git -C "$root" worktree remove --force "$source" 2>/dev/null || rm -rf "$source"
    git -C "$root" worktree prune
    git -C "$root" worktree add --detach "$source" "$commit" >&2
  fi
  cmake -S "$source" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIMVEXA_BENCH=OFF >/dev/null
  cmake --build "$tree" -j"$jobs" --target imvexa-thumb >&2
  echo "$tree/tools/imvexa-thumb"
}

IMVEXA_JOBS=$jobs IMVEXA_TARGETS="imvexa-thumb pipeline_corpus pipeline_run" "$root/scripts/build.sh" native >&2
[ -z "$baseline_commit" ] || baseline_program=$(build_baseline "$baseline_commit")

corpus=$root/build/bench-corpus
generator=$native/bench/pipeline/pipeline_corpus
if [ ! -f "$corpus/.complete" ] || [ "$generator" -nt "$corpus/.complete" ]; then
  rm -rf "$corpus"
  mkdir -p "$corpus"
  echo "== generating the corpus in $corpus" >&2
  "$generator" "$corpus" >&2
  touch "$corpus/.complete"
fi

# This tree's program is named by its commit, with a "+" for uncommitted changes.
label=$(git -C "$root" rev-parse --short HEAD)
git -C "$root" diff --quiet HEAD || label+=+
programs=("$label=$native/tools/imvexa-thumb --square")
if [ -n "$baseline_program" ]; then
  # A program older than --square makes the square thumbnail without it.
  square=
  if { "$baseline_program" 2>&1 || true; } | grep -q -- --square; then square=" --square"; fi
  programs+=("${baseline_commit:-baseline}=$baseline_program$square")
fi
"$native/bench/pipeline/pipeline_run" --runs "$runs" "$corpus" "$root/build/bench-out" "${programs[@]}"
