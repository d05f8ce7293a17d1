#!/usr/bin/env bash
# wine-prefix.sh template DIR  makes the template prefix (once per machine).
# wine-prefix.sh template32 DIR  the same, and it must run 32-bit programs too
#   (its 32-bit system folder, syswow64, is made under emulation: minutes).
# wine-prefix.sh copy TEMPLATE DIR  gives a build tree its own copy (about a second).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

make_template() {
  local dir=$1 wow64=${2:-}
  [ -f "$dir/.imvexa-ready" ] && return
  echo "== making the Wine prefix template $dir"
  rm -rf "$dir"
  WINEPREFIX=$dir
  . "$here/wine-env.sh"
  wine64 wineboot --init </dev/null >/dev/null 2>&1
  wineserver -w
  # The 32-bit half runs under emulation, which may die: update the prefix
  # again until its 32-bit system folder is there.
  for _ in 1 2; do
    [ -z "$wow64" ] || [ -f "$dir/drive_c/windows/syswow64/kernel32.dll" ] && break
    wine64 wineboot --update </dev/null >/dev/null 2>&1
    wineserver -w
  done
  if [ -n "$wow64" ] && [ ! -f "$dir/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "Wine made no 32-bit system folder in $dir: are wine32:i386 and qemu-i386 installed?" >&2
    exit 1
  fi
  cp /usr/share/wine/fonts/* "$dir/drive_c/windows/Fonts/"
  local fonts='HKCU\Software\Wine\Fonts\Replacements'
  for face in "ＭＳ Ｐゴシック" "MS PGothic"; do
    wine64 reg add "$fonts" /v "$face" /d IPAPGothic /f >/dev/null 2>&1
  done
  for face in "MS Gothic" "ＭＳ ゴシック" "MS UI Gothic"; do
    wine64 reg add "$fonts" /v "$face" /d IPAGothic /f >/dev/null 2>&1
  done
  # Without a window manager every window close would wait two seconds.
  local x11='HKCU\Software\Wine\X11 Driver'
  wine64 reg add "$x11" /v Managed /d N /f >/dev/null 2>&1
  wine64 reg add "$x11" /v Decorated /d N /f >/dev/null 2>&1
  wineserver -w
  touch "$dir/.imvexa-ready"
}

copy_template() {
  local template=$1 dir=$2
  [ -f "$dir/.imvexa-ready" ] && return
  [ -f "$template/.imvexa-ready" ] || { echo "no Wine prefix template at $template: run scripts/install-deps.sh" >&2; exit 1; }
  rm -rf "$dir"
  cp -a "$template" "$dir"
}

case "${1:-}" in
  template) make_template "$2" ;;
  template32) make_template "$2" wow64 ;;
  copy) copy_template "$2" "$3" ;;
  *) echo "usage: $0 template DIR | template32 DIR | copy TEMPLATE DIR" >&2; exit 2 ;;
esac
