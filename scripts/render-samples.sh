#!/usr/bin/env bash
# render-samples.sh: registers the win64 Vignar.cpl in the build's Wine prefix
# (regsvr32, as an installer does) and renders every sample file the way
# Explorer asks for thumbnails (thumbhost.exe finds the handler in the
# registry) into out/, with out/index.html as a contact sheet (file name,
# Extract's result, the thumbnail).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win64
out=$root/out
samples=$root/build/samples

/usr/bin/python3 "$root/samples/make_samples.py" "$samples" || exit 1
rm -rf "$out"
mkdir -p "$out"

WINEPREFIX=$build/wineprefix
. "$root/scripts/wine-env.sh"
wineserver -p
wine64 wineboot </dev/null >/dev/null 2>&1
trap 'wineserver -k; wineserver -w' EXIT
wine64 regsvr32 /s "$build/shellext/Vignar.cpl" || { echo "registration failed" >&2; exit 1; }

rows=""
for file in "$samples"/*; do
  name=$(basename "$file")
  result=$(wine64 "$build/tools/thumbhost.exe" "$file" "$out/$name.bmp" 2>&1)
  cell="<td>no thumbnail</td>"
  if [ -f "$out/$name.bmp" ]; then
    convert "$out/$name.bmp" "$out/$name.png" && rm "$out/$name.bmp"
    cell="<td><img src=\"$name.png\" alt=\"$name\"></td>"
  fi
  echo "$name: $result"
  rows+="<tr><td>$name</td><td><code>$result</code></td>$cell</tr>"$'\n'
done

cat > "$out/index.html" <<HTML
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Imvexa thumbnails</title>
<style>body{font-family:sans-serif} td{padding:6px;border-bottom:1px solid #ccc} img{border:1px solid #999;image-rendering:pixelated}</style>
</head><body><h1>Imvexa thumbnails</h1>
<table><tr><th>file</th><th>Extract</th><th>thumbnail</th></tr>
$rows</table></body></html>
HTML
echo "contact sheet: $out/index.html"
