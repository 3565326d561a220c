#!/usr/bin/env bash
# A tour of the real window for people to look at: starts build/mondrel on a virtual X screen,
# walks through the Welcome page, the Help, an example opened from the help and a new sheet
# with a few typed lines run with F9, opens the Edit and Run menus over it, and saves a
# screenshot of each step.
#
#   tests/gui/tour.sh [OUTPUT_FOLDER]      (default /tmp/mondrel-tour; BUILD=build by default)
#
# Not part of `make test`: it needs xvfb-run, xdotool and ImageMagick's import
# (scripts/install-deps.sh installs them) and its pictures are judged by eye.
set -euo pipefail

out=${1:-/tmp/mondrel-tour}
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$here/build}
program=$build/mondrel

if [ -z "${MONDREL_TOUR_INSIDE:-}" ]; then
  for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "tour: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
  done
  [ -x "$program" ] || { echo "tour: $program is not built" >&2; exit 1; }
  mkdir -p "$out"
  # The whole tour is bounded: a window that never shows or never closes cannot hang it.
  MONDREL_TOUR_INSIDE=1 exec timeout 180 xvfb-run -a -s "-screen 0 1280x800x24" \
    bash "$0" "$(cd "$out" && pwd)"
fi

# Settings, recent files and the log of the tour go to a scratch home, not the user's.
scratch=$(mktemp -d /tmp/mondrel-tour-home.XXXXXX)
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config XDG_STATE_HOME=$scratch/state
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

step=0
shot() {
  step=$((step + 1))
  sleep "${2:-1}"
  local file
  file=$(printf '%s/%02d-%s.png' "$out" "$step" "$1")
  import -window root "$file"
  echo "tour: $file"
}

# There is no window manager on the virtual screen: keys go to the window with the focus (or
# under the pointer), so the window is given the focus again before each key.
key() {
  xdotool windowfocus "$win" 2>/dev/null || true
  xdotool key --delay 80 "$@"
}

type_line() {
  xdotool type --delay 40 "$1"
  xdotool key Return
  sleep 0.3
}

# A click at a point of the window (pixels from its top-left corner).
click_at() {
  xdotool mousemove --window "$win" "$1" "$2" click 1
  sleep 1
}

# Where the tour clicks, in the window's pixels with its default fonts: below the menu bar
# the two toolbar rows, the tab strip and the grid's header end 120 pixels from the top; the
# first line is 16 pixels high and the pages' title line 32, so line n >= 3 of a page sits at
# 175 + 16 (n - 3). The code column begins at x = 90.
help_examples_link=(140 367)   # Help, line 15: "Examples"
examples_mortgage_link=(160 351) # Examples, line 14: "Mortgage Amortization"
new_sheet_first_code=(160 127) # a new sheet, line 1: the code cell

cd "$scratch"
"$program" >"$scratch/mondrel.out" 2>&1 &
pid=$!
win=$(timeout 30 xdotool search --sync --onlyvisible --name "Quastel Mondrel" | head -n 1) || true
if [ -z "$win" ]; then
  echo "tour: the window did not show within 30 seconds" >&2
  cat "$scratch/mondrel.out" >&2
  exit 1
fi
xdotool windowmove "$win" 0 0 windowsize "$win" 1280 800 2>/dev/null || true
xdotool mousemove --window "$win" 640 500
shot welcome 2

key F1
shot help

# Help: the "Examples" link, then an example from the list, opened as a sheet of its own.
click_at "${help_examples_link[@]}"
shot examples
click_at "${examples_mortgage_link[@]}"
shot example 2

# A new sheet: a click on the code of its one blank line opens it for editing; each Enter
# commits the line and opens a new one below. Lines without a name are named temp_1, ...
key ctrl+n
sleep 1
click_at "${new_sheet_first_code[@]}"
type_line "12.5"
type_line "8"
type_line "temp_1 * temp_2"
type_line "Sqr(temp_3)"
key Escape
sleep 0.5
key F9
shot new-sheet-run 2

# The toolbars above the sheet, and the Edit menu open on it (its Paste item follows the
# clipboard); a line selected with the arrow keys shows its code word's syntax on the bar.
key Up Up
key alt+e
shot edit-menu
key Escape
sleep 0.5
key alt+r
shot run-menu
key Escape
sleep 0.5

# Exit from the File menu: the modified sheet asks whether to save it; the answer is No.
key alt+f
sleep 0.5
key x
shot save-question
key alt+n
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then
  echo "tour: the window did not close; ending it" >&2
  kill "$pid"
fi
wait "$pid" || true
pid=
echo "tour: done, $step screenshots in $out"
