#!/usr/bin/env bash
# CTest's runner for one test program: runs it under Wine in the prefix and
# display that `vistals.sh test` prepared.
set -u
: "${WINEPREFIX:?run the tests through ./vistals.sh test}"
: "${DISPLAY:?run the tests through ./vistals.sh test}"
export WINEARCH=${WINEARCH:-win32} WINEDEBUG=-all
exec "${VISTALS_WINE:-wine}" "$@"
