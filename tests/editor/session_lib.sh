# Shared by the keyboard sessions that drive the real editor under Xvfb.
# Sourced twice: by the test itself (session_begin, run_session) and by its
# session script inside Xvfb (start_editor ... exit_editor).

# The test's side: a private folder in $work, desktop leak suppressions.
session_begin() {
  unset QT_QPA_PLATFORM
  export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$SESSION_DIR/lsan_desktop.supp"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}

# Where xvfb-run starts looking for a free display: a number of this
# process's own, so that a session never takes the number of the one that
# ran just before it while that server is still going away (a client then
# fails to connect to it).
xvfb_first_display() { echo $((100 + $$ % 800)); }

# Runs the session script $1 under Xvfb on the editor $2 and the file $3;
# on failure shows what the editor said and exits.
run_session() {
  chmod +x "$1"
  SESSION_LIB="$SESSION_DIR/session_lib.sh" timeout 90 xvfb-run -a -n "$(xvfb_first_display)" \
    -s "-screen 0 1024x768x24" "$1" "$2" "$3"
  local status=$?
  if [ "$status" -ne 0 ]; then
    echo "keyboard session failed with status $status" >&2
    cat "$(dirname "$3")/editor.log" >&2 2>/dev/null
    exit 1
  fi
}

# The session's side. Starts the editor on $2 and waits for its window.
start_editor() {
  file=$2
  # xvfb-run may start the session before its server takes clients.
  for _ in $(seq 1 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.05
  done
  "$1" "$file" 2>"$(dirname "$file")/editor.log" &
  pid=$!
  main=$(wait_window "Vorn - $file") || fail "the editor did not show $file"
  xdotool windowfocus --sync "$main" 2>/dev/null
  sleep 0.3
}

fail() { echo "$1" >&2; kill "$pid" 2>/dev/null; exit 1; }

# Waits for a window whose name matches $1; prints its id.
wait_window() {
  for _ in $(seq 1 200); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.05
  done
  return 1
}

# File > Save (Ctrl+S), then waits for the caption to lose its modified mark.
save_and_wait() {
  xdotool key ctrl+s
  for _ in $(seq 1 100); do
    name=$(xdotool getwindowname "$main" 2>/dev/null)
    [[ "$name" == "Vorn - $file ["*"%]" ]] && break
    sleep 0.05
  done
  [[ "$name" == "Vorn - $file ["*"%]" ]] || fail "the caption did not lose its modified mark: $name"
}

# File > Exit, then waits for the editor to end.
exit_editor() {
  xdotool key --delay 150 alt+f x
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the editor"
  wait "$pid"
}
