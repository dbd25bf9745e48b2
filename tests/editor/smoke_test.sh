#!/usr/bin/env bash
# Starts the real editor under Xvfb on a sprite, lets it close itself once
# the sprite is shown, and checks its caption, status text, exit status and
# that the shut-down wrote the settings beside the program.
#   smoke_test.sh VORN_BINARY SPRITE
set -uo pipefail
vorn=$1
sprite=$2
unset QT_QPA_PLATFORM
# A sanitizer build also sees what the desktop libraries keep.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan_desktop.supp"
ini="$(dirname "$vorn")/vorn.ini"
marker=$(mktemp)
trap 'rm -f "$marker"' EXIT
sleep 1 # file times have whole-second resolution on some file systems
# A display number of its own (see xvfb_first_display in session_lib.sh);
# once more if xvfb-run started the editor before its server took clients.
said=$(mktemp)
trap 'rm -f "$marker" "$said"' EXIT
for attempt in 1 2; do
  out=$(VORN_AUTOCLOSE_MS=200 timeout 90 xvfb-run -a -n $((100 + ($$ + attempt) % 800)) -s "-screen 0 1024x768x24" \
        "$vorn" "$sprite" 2>"$said")
  status=$?
  grep -q "could not connect to display" "$said" || break
done
echo "$out"
if [ "$status" -ne 0 ]; then
  echo "editor exited with status $status" >&2
  exit 1
fi
# The zoom is whatever fits the window (Zoom to Fit on Open).
caption=no
while IFS= read -r line; do
  [[ "$line" == "Vorn - $sprite ["*"%]" ]] && caption=yes
done <<<"$out"
if [ "$caption" != yes ]; then
  echo "caption does not name the sprite" >&2
  exit 1
fi
if ! grep -qxF "Frame 1 of 6" <<<"$out"; then
  echo "status does not show the first of six frames" >&2
  exit 1
fi
if ! [ "$ini" -nt "$marker" ] || ! grep -q '^Toolbar=[01]$' "$ini"; then
  echo "the shut-down did not write $ini" >&2
  exit 1
fi
