#!/usr/bin/env bash
# render-samples.sh: installs the win64 build with Setup.exe from its
# distribution folder, as a user does, into a Wine prefix of its own (on a
# private X server, for Setup's message box), and renders every sample file the
# way Explorer asks for thumbnails (thumbhost.exe finds the installed handler
# in the registry) into out/, with out/index.html as a contact sheet (file
# name, Extract's result, the thumbnail).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win64
out=$root/out
samples=$root/build/samples

# First run: prepare, then run again under wine-gui-run.
if [ -z "${IMVEXA_WINE_DISPLAY:-}" ]; then
  /usr/bin/python3 "$root/samples/make_samples.py" "$samples" || exit 1
  rm -rf "$out"
  mkdir -p "$out"
  template=${IMVEXA_DEPS_DIR:-/opt/imvexa-deps/v1}/wineprefix-template
  exec "$root/scripts/wine-gui-run" "$template" "$build/main-job" "$0"
fi

. "$root/scripts/wine-answering.sh"
wineserver -p
wine64 wineboot </dev/null >/dev/null 2>&1
(cd "$build/dist" && answering "$build/tests/windows/answer_boxes.exe" ok wine64 Setup.exe) ||
  { echo "installing with Setup.exe failed" >&2; exit 1; }

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
