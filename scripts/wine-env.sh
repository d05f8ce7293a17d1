# Sourced after setting WINEPREFIX: a quiet, headless 64-bit Wine in that
# prefix, with the Japanese locale (code page 932).
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export PATH="/usr/lib/wine:$PATH"
if [ -z "${IMVEXA_WINE_DISPLAY:-}" ]; then unset DISPLAY; else export DISPLAY="$IMVEXA_WINE_DISPLAY"; fi
