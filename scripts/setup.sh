#!/usr/bin/env bash
# setup.sh: sets up a fresh Debian 12 machine (every dependency), builds every
# tree and runs the main job: the product for both Windows architectures, and
# thumbnails of every sample file rendered through Vignar.cpl under wine64
# into a contact sheet, out/index.html.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
"$root/scripts/render-samples.sh"

echo
echo "Imvexa is built:"
for arch in win64 win32; do
  for file in Vignar.cpl Setup.exe; do
    echo "  $arch: $root/build/$arch/shellext/$file"
  done
done
