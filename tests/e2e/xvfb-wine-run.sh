#!/usr/bin/env bash
# Runs a Windows test program under Wine on a virtual X display of its own, for tests that
# show real windows.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
exec xvfb-run -a -s "-screen 0 1024x768x24" "$here/../../cmake/wine-run.sh" "$@"
