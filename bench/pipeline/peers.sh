#!/usr/bin/env bash
# bench/pipeline/peers.sh [--runs N]
#
# Imvexa's thumbnails against other tools, natively: wall time and peak
# resident memory of one 120-pixel thumbnail per file and program, as a
# markdown table on standard output (progress on standard error).
#
# - Programs: imvexa-thumb (quality mode), imvexa-thumb --speed, and the
#   peers `vipsthumbnail -s 120 IN -o OUT.png` and ImageMagick's
#   `/usr/bin/convert IN -thumbnail 120x120 OUT.png`, installed from Debian's
#   packages (libvips-tools, imagemagick) when missing.
# - Corpus, in build/peer-corpus (made by the pipeline's generator unless it
#   is there and newer than the generator): 6000 × 4000 baseline and
#   progressive JPEGs, a 2000 × 1500 JPEG, 4000 × 3000 PNG and BMP, a
#   10000 × 10000 palette PNG and a 4000 × 3000 MAG, all photograph-like.
# - Each file is thumbnailed N times (default 5) by every program in turns,
#   so that all meet the same machine: the table gives the median wall time
#   with its spread (min–max), the median processor time and the median peak,
#   and for Imvexa's two rows the ratios Imvexa ÷ peer. A peer that cannot
#   read a file (MAG) shows "cannot read".
#
# Not part of the test suite: its figures mean something only on a machine
# otherwise idle.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=5
case ${1:-} in
  --runs) [ $# -eq 2 ] || { echo "usage: $0 [--runs N]" >&2; exit 2; }; runs=$2 ;;
  '') ;;
  *) echo "usage: $0 [--runs N]" >&2; exit 2 ;;
esac

peer_packages=()
command -v vipsthumbnail >/dev/null || peer_packages+=(libvips-tools)
[ -x /usr/bin/convert ] || peer_packages+=(imagemagick)
if [ ${#peer_packages[@]} -gt 0 ]; then
  echo "== installing ${peer_packages[*]}" >&2
  apt-get update >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${peer_packages[@]}" >&2
fi

if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
fi
native=$root/build/native
IMVEXA_TARGETS="imvexa-thumb pipeline_corpus pipeline_run" "$root/scripts/build.sh" native >&2

corpus=$root/build/peer-corpus
generator=$native/bench/pipeline/pipeline_corpus
files=(jpeg-baseline-6000x4000.jpg jpeg-progressive-6000x4000.jpg jpeg-baseline-2000x1500.jpg png-rgb-4000x3000.png
       bmp-24bit-4000x3000.bmp png-palette-10000x10000.png mag-256colors-4000x3000.mag)
if [ ! -f "$corpus/.complete" ] || [ "$generator" -nt "$corpus/.complete" ]; then
  rm -rf "$corpus"
  mkdir -p "$corpus"
  echo "== generating the corpus in $corpus" >&2
  "$generator" "$corpus" "${files[@]}" >&2
  touch "$corpus/.complete"
fi

thumb=$native/tools/imvexa-thumb
"$native/bench/pipeline/pipeline_run" --runs "$runs" --peers 2 "$corpus" "$root/build/peer-out" \
  "imvexa=$thumb --square" "imvexa --speed=$thumb --speed" \
  "vipsthumbnail=$(command -v vipsthumbnail) -s 120 {in} -o {out}" \
  "convert=/usr/bin/convert {in} -thumbnail 120x120 {out}"
