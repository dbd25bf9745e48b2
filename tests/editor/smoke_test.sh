#!/usr/bin/env bash
# Starts the real editor under Xvfb on a sprite, lets it close itself once
# the sprite is shown, and checks its caption, status text and exit status.
#   smoke_test.sh VORN_BINARY SPRITE
set -uo pipefail
vorn=$1
sprite=$2
unset QT_QPA_PLATFORM
out=$(VORN_AUTOCLOSE_MS=200 timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" "$vorn" "$sprite" 2>/dev/null)
status=$?
echo "$out"
if [ "$status" -ne 0 ]; then
  echo "editor exited with status $status" >&2
  exit 1
fi
if ! grep -qxF "Vorn - $sprite [100%]" <<<"$out"; then
  echo "caption does not name the sprite" >&2
  exit 1
fi
if ! grep -qxF "Frame 1 of 6" <<<"$out"; then
  echo "status does not show the first of six frames" >&2
  exit 1
fi
