#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in the build folder's own prefix, creating the
# prefix on first use. Used by CTest as the cross-compiling emulator.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${OV_WINEPREFIX:=$here/../build/win32/wineprefix}"
export WINEPREFIX=$OV_WINEPREFIX WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
"$here/wine-prefix.sh" >/dev/null
exec wine "$@"
