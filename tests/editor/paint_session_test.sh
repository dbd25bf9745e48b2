#!/usr/bin/env bash
# Paints with the mouse on the real editor under Xvfb: the pencil on pixel
# (8, 7) of a 16 x 15 picture of index 10, a fill of the background
# with the right button's index (0), File > Save; Undo of the fill, a line
# started and taken back with Escape, File > Save again. The first file
# must hold 0 everywhere but the pencilled 15, the second 10 everywhere
# but the pencilled 15.
#   paint_session_test.sh VORN_BINARY
set -uo pipefail
vorn=$1
SESSION_DIR=$(cd "$(dirname "$0")" && pwd)
. "$SESSION_DIR/session_lib.sh"
session_begin

# A Quake picture: width and height (little-endian), then the indexes.
{ printf '\020\000\000\000\017\000\000\000'; head -c 240 /dev/zero | tr '\000' '\012'; } >"$work/picture.lmp"

cat >"$work/session.sh" <<'INNER'
#!/usr/bin/env bash
set -uo pipefail
. "$SESSION_LIB"
start_editor "$1" "$2"
copy() { cp "$file" "$(dirname "$file")/$1"; }
# The preview lies under the menu bar and the toolbar, above the slider row
# and the status bar, left of the palette panel; the picture is centred in
# it at the zoom that fits, at least 16 screen pixels per picture pixel
# here: 4 screen pixels right of the preview's centre lie on pixel (8, 7),
# and 60 to a side on another pixel of the picture.
eval "$(xdotool getwindowgeometry --shell "$main")"
cx=$((X + (WIDTH - 190) / 2))
cy=$((Y + 25 + 30 + (HEIGHT - 25 - 30 - 50) / 2))
xdotool key b                                   # Pencil
xdotool mousemove --sync $((cx + 4)) "$cy" click 1
sleep 0.2
xdotool key g                                   # Fill
xdotool mousemove --sync $((cx + 60)) "$cy" click 3
sleep 0.2
save_and_wait
copy filled.lmp
xdotool key ctrl+z                              # Undo Fill
sleep 0.2
xdotool key l                                   # Line, taken back
xdotool mousemove --sync $((cx - 60)) "$cy" mousedown 1
xdotool mousemove --sync $((cx - 60)) $((cy + 60))
sleep 0.2
xdotool key Escape
xdotool mouseup 1
sleep 0.2
save_and_wait
exit_editor
INNER
run_session "$work/session.sh" "$vorn" "$work/picture.lmp"

# Byte 8 + 7 * 16 + 8 is the pencilled pixel.
expect() { # FILE BACKGROUND
  local want
  want=$({ printf '\020\000\000\000\017\000\000\000'; head -c 120 /dev/zero | tr '\000' "\\$(printf '%03o' "$2")";
          printf '\017'; head -c 119 /dev/zero | tr '\000' "\\$(printf '%03o' "$2")"; } | od -An -tu1)
  if [ "$(od -An -tu1 "$1")" != "$want" ]; then
    echo "$1 holds other pixels than the pencilled 15 on a background of $2:" >&2
    od -An -tu1 "$1" >&2
    exit 1
  fi
}
expect "$work/filled.lmp" 0
expect "$work/picture.lmp" 10
echo "pencil, fill, undo and Escape saved exactly"
