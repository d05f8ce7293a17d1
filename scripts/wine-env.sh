# Sourced after setting WINEPREFIX: a quiet, headless 64-bit Wine in that
# prefix (which also runs 32-bit programs, see wine-run32), with the Japanese
# locale (code page 932).
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export PATH="/usr/lib/wine:$PATH"
# Wine's 32-bit loader runs under qemu-i386, which must reserve the guest's
# address space up front: otherwise the loader cannot map the shared user data.
export QEMU_RESERVED_VA=0xf7000000
if [ -z "${IMVEXA_WINE_DISPLAY:-}" ]; then unset DISPLAY; else export DISPLAY="$IMVEXA_WINE_DISPLAY"; fi
