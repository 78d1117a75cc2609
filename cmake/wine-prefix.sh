#!/usr/bin/env bash
# Creates the 32-bit Wine prefix once (no Mono/Gecko dialogs) and keeps a wineserver
# alive so that each test binary starts quickly. Safe to call concurrently.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${OV_WINEPREFIX:=$here/../build/win32/wineprefix}"
export WINEPREFIX=$OV_WINEPREFIX WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.ov-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot --init </dev/null >/dev/null 2>&1 || true
  wineserver --wait
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-prefix: could not create $WINEPREFIX" >&2; exit 1; }
  touch "$WINEPREFIX/.ov-ready"
fi
flock -u 9
exec 9>&-
# A persistent server (kept for 10 minutes after the last client) saves the start-up cost of
# every test binary. It is started here with its standard streams closed, so that it never
# holds the output pipe of a test runner open.
# When the server is new, the prefix's background services (started with the first program)
# are brought up here too, for the same reason.
if wineserver -p600 </dev/null >/dev/null 2>&1; then
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
fi
