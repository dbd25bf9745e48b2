#!/usr/bin/env bash
# Drives the real editor under Xvfb from the keyboard alone: opens a sprite
# of two groups, Groups > Duplicate, Animation > Frame Properties with a new
# "Origin X", File > Save and File > Exit, then reads the saved file back
# with the batch tool.
#   keyboard_session_test.sh VORN_BINARY VORN_CLI SPRITE
set -uo pipefail
vorn=$1
cli=$2
sprite=$3
SESSION_DIR=$(cd "$(dirname "$0")" && pwd)
. "$SESSION_DIR/session_lib.sh"
session_begin
cp "$sprite" "$work/grouped.spr"

cat >"$work/session.sh" <<'INNER'
#!/usr/bin/env bash
set -uo pipefail
. "$SESSION_LIB"
start_editor "$1" "$2"
xdotool key --delay 150 alt+g u            # Groups > Duplicate
sleep 0.3
xdotool key --delay 150 alt+a p            # Animation > Frame Properties
wait_window "Frame 1 Properties" >/dev/null || fail "Frame Properties did not open"
sleep 0.3
xdotool type --delay 20 "Origin X"         # the list box finds the record
sleep 0.2
xdotool key Tab ctrl+a
xdotool type --delay 20 -- "-77"
xdotool key Return
sleep 0.5
xdotool search --name "Frame 1 Properties" >/dev/null 2>&1 && fail "Enter did not close the property editor"
save_and_wait
exit_editor
INNER
run_session "$work/session.sh" "$vorn" "$work/grouped.spr"

json=$("$cli" info "$work/grouped.spr" --json) || { echo "the saved sprite does not load" >&2; exit 1; }
# One line per group; the sprite format keeps no group names, so the copy
# is known by its frames.
mapfile -t group < <(sed 's/{"name":"Group /\n/g' <<<"$json" | tail -n +2)
hashes() { grep -o '"pixels_sha256":"[0-9a-f]*"' <<<"$1" | tr '\n' ' '; }
edited='{"name":"Origin X","type":0,"value":-77}'
echo "groups=${#group[@]}"
if [ "${#group[@]}" -ne 3 ] || [ -z "$(hashes "${group[0]}")" ] ||
   [ "$(hashes "${group[0]}")" != "$(hashes "${group[2]}")" ]; then
  echo "the saved sprite lacks the duplicate of the first group:" >&2
  echo "$json" >&2
  exit 1
fi
if [ "$(grep -o "$edited" <<<"${group[0]}" | wc -l)" -ne 1 ] || grep -q "$edited" <<<"${group[2]}"; then
  echo "the first frame's new Origin X was not saved (or reached the copy):" >&2
  echo "$json" >&2
  exit 1
fi
