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
unset QT_QPA_PLATFORM
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan_desktop.supp"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$sprite" "$work/grouped.spr"

cat >"$work/session.sh" <<'INNER'
#!/usr/bin/env bash
set -uo pipefail
vorn=$1
file=$2
"$vorn" "$file" 2>"$(dirname "$file")/editor.log" &
pid=$!
fail() { echo "$1" >&2; kill "$pid" 2>/dev/null; exit 1; }
# Waits for a window whose name contains $1; prints its id.
wait_window() {
  for _ in $(seq 1 200); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.05
  done
  return 1
}
main=$(wait_window "Vorn - $file") || fail "the editor did not show the sprite"
xdotool windowfocus --sync "$main" 2>/dev/null
sleep 0.3
xdotool key --delay 150 alt+g u            # Groups > Duplicate
sleep 0.3
xdotool key --delay 150 alt+a p            # Animation > Frame Properties
dialog=$(wait_window "Frame 1 Properties") || fail "Frame Properties did not open"
sleep 0.3
xdotool type --delay 20 "Origin X"         # the list box finds the record
sleep 0.2
xdotool key Tab ctrl+a
xdotool type --delay 20 -- "-77"
xdotool key Return
sleep 0.5
xdotool search --name "Frame 1 Properties" >/dev/null 2>&1 && fail "Enter did not close the property editor"
xdotool key ctrl+s                          # File > Save
for _ in $(seq 1 100); do
  name=$(xdotool getwindowname "$main" 2>/dev/null)
  [ "$name" = "Vorn - $file [100%]" ] && break
  sleep 0.05
done
[ "$name" = "Vorn - $file [100%]" ] || fail "the caption did not lose its modified mark: $name"
xdotool key --delay 150 alt+f x            # File > Exit
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the editor"
wait "$pid"
INNER
chmod +x "$work/session.sh"

timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" "$work/session.sh" "$vorn" "$work/grouped.spr"
status=$?
if [ "$status" -ne 0 ]; then
  echo "keyboard session failed with status $status" >&2
  cat "$work/editor.log" >&2 2>/dev/null
  exit 1
fi

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
