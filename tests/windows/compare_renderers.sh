#!/usr/bin/env bash
# compare_renderers.sh WINE_RUN PREFIX DLL THUMBHOST NATIVE_THUMB SAMPLES OUT
# Renders every sample that the portable decoders read with the extractor
# under wine64 (quality mode) and with the native imvexa-thumb, and checks
# that the two thumbnails have identical pixels; the same for the thumbnail
# provider and imvexa-thumb at 96 and 256 pixels (alpha included).
set -u
wine_run=$1 prefix=$2 dll=$3 thumbhost=$4 native=$5 samples=$6 out=$7
mkdir -p "$out"
fail=0

# same A B MODE NAME: whether the two pictures have the same size and pixels in MODE (RGB or RGBA).
same() {
  if /usr/bin/python3 - "$1" "$2" "$3" <<'PY'
import sys
from PIL import Image
a, b = (Image.open(p).convert(sys.argv[3]) for p in sys.argv[1:3])
sys.exit(0 if a.size == b.size and a.tobytes() == b.tobytes() else 1)
PY
  then echo "same pixels: $4"; else echo "FAIL: $4: the pixels differ"; fail=1; fi
}
for sample in "$samples"/*.{bmp,dib,rle,png,jpg,jpeg,jfif,mag}; do
  [ -f "$sample" ] || continue
  name=$(basename "$sample")
  "$wine_run" "$prefix" "$thumbhost" --dll "$dll" "$sample" "$out/$name.dll.bmp" >/dev/null 2>&1 \
    || { echo "FAIL: $name: the extractor gave no thumbnail"; fail=1; continue; }
  "$native" --square "$sample" "$out/$name.native.bmp" || { echo "FAIL: $name: imvexa-thumb failed"; fail=1; continue; }
  same "$out/$name.dll.bmp" "$out/$name.native.bmp" RGB "$name"
  for size in 96 256; do
    "$wine_run" "$prefix" "$thumbhost" --dll "$dll" --provider --size $size "$sample" "$out/$name.$size.dll.png" \
      >/dev/null 2>&1 || { echo "FAIL: $name: the provider gave no thumbnail at $size"; fail=1; continue; }
    "$native" --edge $size "$sample" "$out/$name.$size.native.png" \
      || { echo "FAIL: $name: imvexa-thumb failed at $size"; fail=1; continue; }
    same "$out/$name.$size.dll.png" "$out/$name.$size.native.png" RGBA "$name at $size"
  done
done
exit $fail
