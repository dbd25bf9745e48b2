#!/usr/bin/env bash
# Drives the real editor under Xvfb from the keyboard alone on a PNG:
# Image > Flip, Image > Rotate.. with 90 typed into the Adjust dialog and
# Enter, File > Save, File > Exit; then compares the saved pixels with the
# same turn computed by ImageMagick (flip, then a quarter turn to the left).
#   image_keyboard_session_test.sh VORN_BINARY
set -uo pipefail
vorn=$1
SESSION_DIR=$(cd "$(dirname "$0")" && pwd)
. "$SESSION_DIR/session_lib.sh"
session_begin

# A 5 x 3 picture of seeded colours: every pixel different, so any wrong
# turn or mirror shows.
for i in $(seq 0 14); do printf "\\$(printf '%03o' $((i * 17 % 256)))\\$(printf '%03o' $((255 - i * 11)))\\$(printf '%03o' $((i * 5 + 40)))"; done >"$work/in.rgb"
convert -size 5x3 -depth 8 "rgb:$work/in.rgb" "$work/picture.png" || { echo "ImageMagick could not write the picture" >&2; exit 1; }
convert "$work/picture.png" -flip -rotate -90 -depth 8 "rgb:$work/expected.rgb" || exit 1

cat >"$work/session.sh" <<'INNER'
#!/usr/bin/env bash
set -uo pipefail
. "$SESSION_LIB"
start_editor "$1" "$2"
xdotool key --delay 150 alt+i l            # Image > Flip
sleep 0.3
xdotool key --delay 150 alt+i r            # Image > Rotate..
wait_window "^Rotate$" >/dev/null || fail "the Adjust dialog did not open"
sleep 0.3
xdotool type --delay 20 "90"               # the text has the keyboard, selected
xdotool key Return
sleep 0.5
xdotool search --name "^Rotate$" >/dev/null 2>&1 && fail "Enter did not close the Adjust dialog"
save_and_wait
sleep 0.5
exit_editor
INNER
run_session "$work/session.sh" "$vorn" "$work/picture.png"

size=$(identify -format '%wx%h' "$work/picture.png") || exit 1
[ "$size" = "3x5" ] || { echo "the saved picture is $size, not 3x5" >&2; exit 1; }
convert "$work/picture.png" -depth 8 "rgb:$work/saved.rgb" || exit 1
if ! cmp -s "$work/saved.rgb" "$work/expected.rgb"; then
  echo "the saved pixels differ from a flip and a quarter turn to the left:" >&2
  od -An -tu1 "$work/saved.rgb" >&2
  od -An -tu1 "$work/expected.rgb" >&2
  exit 1
fi
echo "flipped and turned picture saved exactly"
