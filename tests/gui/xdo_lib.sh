# shellcheck shell=bash
# Driving the real mondrel window on a virtual X screen with xdotool: sourced by tour.sh (the
# screenshot tour) and e2e_window.sh (the end-to-end test of `make test`).
#
# The caller sets xdo_name (the prefix of its messages) before sourcing. Every wait is bounded
# and ends the test with a message that says what was expected and what was seen; the program
# started by xdo_start is killed when the calling script exits, however it exits.

xdo_caption="Quastel Mondrel"

# Where the scripts click, in the window's pixels with its default fonts and the window at
# 1280 x 800: below the menu bar the two toolbar rows, the tab strip and the grid's header end
# 120 pixels from the top; the first line is 16 pixels high and the pages' title line 32, so
# line n >= 3 of a page sits at 175 + 16 (n - 3). The code column begins at x = 90.
xdo_help_examples_link=(140 367)    # Help, line 15: "Examples"
xdo_examples_mortgage_link=(160 351) # Examples, line 14: "Mortgage Amortization"
xdo_new_sheet_first_code=(160 127)  # a new sheet, line 1: the code cell

xdo_pid=
xdo_win=
xdo_status=
xdo_dialog=
xdo_text=

xdo_say() {
  echo "$xdo_name: $*" >&2
}

# The names of the given tools that are not installed, separated by blanks.
xdo_missing_tools() {
  local tool absent=()
  for tool in "$@"; do
    command -v "$tool" >/dev/null || absent+=("$tool")
  done
  echo "${absent[*]}"
}

# Runs `bash SCRIPT ARGS...` on a virtual screen of its own (a free display number) for at most
# SECONDS, with XDO_INSIDE=1 so that the script knows it is there. GNU timeout ends the whole
# process group, the X server and the program on it included.
xdo_run_on_virtual_screen() {
  local seconds=$1 script=$2
  shift 2
  local rc=0
  XDO_INSIDE=1 timeout --kill-after=5 "$seconds" \
    xvfb-run -a -s "-screen 0 1280x800x24" bash "$script" "$@" || rc=$?
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    xdo_say "did not finish within $seconds seconds"
  fi
  return "$rc"
}

# A fresh scratch folder $xdo_root with home/ (HOME and the XDG folders inside it) and work/
# (the working folder the program starts in), so that settings, recent files, the log and
# Qt's own files never touch the user's.
xdo_scratch() {
  xdo_root=$(mktemp -d "${TMPDIR:-/tmp}/mondrel-$xdo_name.XXXXXX")
  mkdir -p "$xdo_root/home" "$xdo_root/work" "$xdo_root/runtime"
  chmod 700 "$xdo_root/runtime"
  export HOME=$xdo_root/home
  export XDG_CONFIG_HOME=$HOME/.config XDG_STATE_HOME=$HOME/.local/state
  export XDG_CACHE_HOME=$HOME/.cache XDG_DATA_HOME=$HOME/.local/share
  export XDG_RUNTIME_DIR=$xdo_root/runtime
}

# Runs COMMAND ARGS... every tenth of a second until it succeeds, for at most SECONDS; returns 1
# when it never did.
xdo_until() {
  local seconds=$1 i
  shift
  for ((i = 0; i < seconds * 10; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

xdo_running() {
  [ -n "$xdo_pid" ] || return 1
  local stat
  read -r stat 2>/dev/null <"/proc/$xdo_pid/stat" || return 1
  # The state follows the command's name in parentheses; a program that has ended but is not
  # yet waited for is a zombie ("Z").
  stat=${stat##*) }
  [[ $stat != Z* ]]
}

xdo_ended() {
  ! xdo_running
}

# Ends the program if it still runs and forgets it.
xdo_stop() {
  if xdo_running; then
    kill "$xdo_pid" 2>/dev/null || true
    sleep 0.5
    if xdo_running; then kill -9 "$xdo_pid" 2>/dev/null || true; fi
  fi
  if [ -n "$xdo_pid" ]; then wait "$xdo_pid" 2>/dev/null || true; fi
  xdo_pid=
  xdo_win=
}

# XDO_KEEP=1 keeps the scratch folder for a look at what the program wrote.
xdo_cleanup() {
  xdo_stop
  if [ -n "${xdo_root:-}" ]; then
    if [ -n "${XDO_KEEP:-}" ]; then xdo_say "kept $xdo_root"; else rm -rf "$xdo_root"; fi
  fi
  xdo_root=
}
trap xdo_cleanup EXIT

# The visible windows with their titles, for messages about a screen that is not as expected.
xdo_windows() {
  local w
  for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    echo "  window $w: \"$(xdotool getwindowname "$w" 2>/dev/null)\""
  done
}

# Stops the test: the message, what is on the screen and what the program wrote.
xdo_fail() {
  xdo_say "FAILED: $*"
  xdo_windows >&2
  if [ -n "${xdo_root:-}" ] && [ -s "$xdo_root/program.out" ]; then
    xdo_say "the program wrote:"
    sed 's/^/  /' "$xdo_root/program.out" >&2
  fi
  exit 1
}

# What a desktop session may set that would change the window under test: a platform theme
# with native (portal) file dialogs, the session bus it reaches them by, and scaling, which
# would move every click position.
xdo_session_settings=(QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE DBUS_SESSION_BUS_ADDRESS
  QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_FONT_DPI)

# Starts PROGRAM ARGS... on the X screen (whatever QT_QPA_PLATFORM the caller has) in the work
# folder and waits up to 20 seconds for its main window, which is then placed at the screen's
# top-left corner at the size the click positions assume and given the keyboard focus.
xdo_start() {
  local unset_args=() v
  for v in "${xdo_session_settings[@]}"; do unset_args+=(-u "$v"); done
  (cd "$xdo_root/work" && exec env "${unset_args[@]}" QT_QPA_PLATFORM=xcb "$@") \
    >"$xdo_root/program.out" 2>&1 &
  xdo_pid=$!
  xdo_until 20 xdo_main_window_shown || xdo_fail "the window did not show within 20 seconds"
  xdotool windowmove "$xdo_win" 0 0 windowsize "$xdo_win" 1280 800 2>/dev/null || true
  # Without a window manager the pointer decides nothing: keys go to the window with the focus.
  xdotool mousemove --window "$xdo_win" 640 500
  xdotool windowfocus "$xdo_win" 2>/dev/null || true
}

# Sets xdo_win once the main window shows; fails the test when the program ends first.
xdo_main_window_shown() {
  xdo_win=$(xdotool search --onlyvisible --name "^$xdo_caption" 2>/dev/null | head -n 1) || true
  [ -n "$xdo_win" ] && return 0
  xdo_running || xdo_fail "the program ended before its window showed"
  return 1
}

# Keys for the main window. There is no window manager to give the focus back when a dialog or
# menu closes, so the window takes it again before each key.
xdo_key() {
  xdotool windowfocus "$xdo_win" 2>/dev/null || true
  xdotool key --delay 80 "$@"
}

# Keys for whatever window has the focus (an open dialog).
xdo_key_focused() {
  xdotool key --delay 80 "$@"
}

xdo_type() {
  xdotool type --delay 30 "$1"
}

# Types one line into the grid's open editor: the code, then after Tab the name when one is
# given, and Enter, which commits the line and opens the next one.
xdo_type_line() {
  xdo_type "$1"
  if [ -n "${2:-}" ]; then
    xdotool key Tab
    xdo_type "$2"
  fi
  xdotool key Return
  sleep 0.3
}

# A click at a point of the main window (pixels from its top-left corner).
xdo_click_at() {
  xdotool mousemove --window "$xdo_win" "$1" "$2" click 1
  sleep 0.5
}

# Waits up to SECONDS for the main window's title to be TITLE.
xdo_title_is() {
  seen=$(xdotool getwindowname "$xdo_win" 2>/dev/null) || seen=
  [ "$seen" = "$1" ]
}

xdo_wait_title() {
  local want=$1 seconds=${2:-10} seen=''
  xdo_until "$seconds" xdo_title_is "$want" && return 0
  xdo_fail "the window's title is \"$seen\", not \"$want\" after $seconds seconds"
}

# Waits up to SECONDS for a visible window titled TITLE that has the keyboard focus, so that
# keys typed now reach it; sets xdo_dialog to its id.
xdo_dialog_focused() {
  win=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
  [ -n "$win" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$win" ]
}

xdo_wait_dialog() {
  local title=$1 seconds=${2:-10} win=''
  xdo_dialog=
  if xdo_until "$seconds" xdo_dialog_focused "$title"; then
    xdo_dialog=$win
    return 0
  fi
  if [ -n "$win" ]; then
    xdo_fail "the \"$title\" dialog did not get the keyboard focus within $seconds seconds"
  fi
  xdo_fail "no \"$title\" dialog showed within $seconds seconds"
}

# Waits up to SECONDS for the program to end and sets xdo_status to its exit status; a program
# that does not end is killed and fails the test.
xdo_wait_exit() {
  local seconds=${1:-10}
  xdo_until "$seconds" xdo_ended || xdo_fail "the program did not end within $seconds seconds"
  xdo_status=0
  wait "$xdo_pid" || xdo_status=$?
  xdo_pid=
  xdo_win=
}

# Sets xdo_text to what the command COMMAND ARGS... (keys that copy) puts on the X clipboard
# within SECONDS, read with xclip, with CR LF line ends made LF; returns 1 when nothing came.
# The clipboard first holds a marker, so a copy that did not happen is told apart from an old
# one.
xdo_try_clipboard_after() {
  local seconds=$1 marker="mondrel-$xdo_name-nothing-copied-$RANDOM" text=
  shift
  # xclip keeps serving the marker until the program takes the clipboard over.
  printf '%s' "$marker" | xclip -selection clipboard >/dev/null 2>&1
  "$@"
  xdo_until "$seconds" xdo_clipboard_changed || return 1
  xdo_text=$text
}

xdo_clipboard_changed() {
  text=$(timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r') || text=''
  [ -n "$text" ] && [ "$text" != "$marker" ]
}

# Sets xdo_text to the lines of the current sheet as line text (Select All, Copy).
xdo_sheet_text() {
  xdo_try_clipboard_after 5 xdo_key ctrl+a ctrl+c ||
    xdo_fail "Select All and Copy put nothing on the clipboard within 5 seconds"
}

# Sets xdo_text to the cells of every row of the current sheet, a row a line and the cells
# (code, name, values) separated by tabs (Select All, Edit > Copy Cells). While a run is in
# progress the command is off and its menu stays open: the menu is closed and the copy tried
# again, for up to 10 seconds.
xdo_sheet_cells() {
  local tries
  for ((tries = 0; tries < 5; tries++)); do
    xdo_try_clipboard_after 2 xdo_menu_item e l ctrl+a && return 0
    xdo_key_focused Escape
  done
  xdo_fail "Edit > Copy Cells put nothing on the clipboard within 10 seconds"
}

# Chooses an item of a menu of the main window by its mnemonics (KEYS first, when given):
# xdo_menu_item f x is File > Exit.
xdo_menu_item() {
  local menu=$1 item=$2
  shift 2
  xdo_key "$@" "alt+$menu"
  # The menu is a pop-up without a title to wait for.
  sleep 0.3
  xdo_key_focused "$item"
}
