#!/usr/bin/env bash
# Shows Instalador.exe on a virtual X display under Wine and saves a picture of its start
# state. Usage: tests/e2e/window_screenshot.sh [build/win32] [output.png]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
out=${2:-$build/screenshots/instalador-start.png}
exe=$build/app/Instalador.exe
[ -f "$exe" ] || { echo "window_screenshot: build $exe first" >&2; exit 1; }
mkdir -p "$(dirname "$out")"

if [ -z "${OV_SCREENSHOT_INNER:-}" ]; then
  export OV_WINEPREFIX=${OV_WINEPREFIX:-$build/wineprefix}
  OV_SCREENSHOT_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$out"
fi

# Inside the virtual display: a prefix of our own server so that nothing else shares it.
export WINEPREFIX=$OV_WINEPREFIX WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/cmake/wine-prefix.sh"
# No window manager runs on the virtual display: let Wine draw the caption and border itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1 || true
wine "$exe" </dev/null >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Instalador"'; then break; fi
  sleep 0.2
done
sleep 1.5  # let the window paint
import -window root "$out"
echo "window_screenshot: $out"
