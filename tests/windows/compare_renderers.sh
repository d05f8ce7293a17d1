#!/usr/bin/env bash
# compare_renderers.sh WINE_RUN PREFIX DLL THUMBHOST NATIVE_THUMB SAMPLES OUT
# Renders every sample that the portable decoders read with the extractor
# under wine64 (quality mode) and with the native imvexa-thumb, and checks
# that the two thumbnails have identical pixels.
set -u
wine_run=$1 prefix=$2 dll=$3 thumbhost=$4 native=$5 samples=$6 out=$7
mkdir -p "$out"
fail=0
for sample in "$samples"/*.{bmp,dib,rle,png,jpg,jpeg,jfif,mag}; do
  [ -f "$sample" ] || continue
  name=$(basename "$sample")
  "$wine_run" "$prefix" "$thumbhost" --dll "$dll" "$sample" "$out/$name.dll.bmp" >/dev/null 2>&1 \
    || { echo "FAIL: $name: the extractor gave no thumbnail"; fail=1; continue; }
  "$native" --square "$sample" "$out/$name.native.bmp" || { echo "FAIL: $name: imvexa-thumb failed"; fail=1; continue; }
  if /usr/bin/python3 - "$out/$name.dll.bmp" "$out/$name.native.bmp" <<'PY'
import sys
from PIL import Image
a, b = (Image.open(p).convert('RGB') for p in sys.argv[1:3])
sys.exit(0 if a.size == b.size and a.tobytes() == b.tobytes() else 1)
PY
  then echo "same pixels: $name"; else echo "FAIL: $name: the pixels differ"; fail=1; fi
done
exit $fail
