#!/usr/bin/env bash
# A tour of the real window for people to look at: starts build/mondrel on a virtual X screen,
# walks through the Welcome page, the Help, an example opened from the help and a new sheet
# with a few typed lines run with F9, opens the Edit and Run menus over it, and saves a
# screenshot of each step.
#
#   tests/gui/tour.sh [OUTPUT_FOLDER]      (default /tmp/mondrel-tour; BUILD=build by default)
#
# Not part of `make test`: it needs xvfb-run, xdotool and ImageMagick's import
# (scripts/install-deps.sh installs them) and its pictures are judged by eye. The end-to-end
# test (e2e_window.sh) drives the window through the same xdo_lib.sh.
set -euo pipefail

xdo_name=tour
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/gui/xdo_lib.sh
source "$here/xdo_lib.sh"

out=${1:-/tmp/mondrel-tour}
build=${BUILD:-$(cd "$here/../.." && pwd)/build}
program=$build/mondrel

if [ -z "${XDO_INSIDE:-}" ]; then
  missing=$(xdo_missing_tools xvfb-run xdotool import)
  if [ -n "$missing" ]; then
    xdo_say "not installed: $missing (scripts/install-deps.sh)"
    exit 1
  fi
  [ -x "$program" ] || { xdo_say "$program is not built"; exit 1; }
  mkdir -p "$out"
  # The whole tour is bounded: a window that never shows or never closes cannot hang it.
  BUILD=$build xdo_run_on_virtual_screen 180 "$0" "$(cd "$out" && pwd)"
  exit 0
fi

step=0
shot() {
  step=$((step + 1))
  sleep "${2:-1}"
  local file
  file=$(printf '%s/%02d-%s.png' "$out" "$step" "$1")
  import -window root "$file"
  echo "tour: $file"
}

xdo_scratch
xdo_start "$program"
shot welcome 2

xdo_key F1
shot help

# Help: the "Examples" link, then an example from the list, opened as a sheet of its own.
xdo_click_at "${xdo_help_examples_link[@]}"
shot examples
xdo_click_at "${xdo_examples_mortgage_link[@]}"
shot example 2

# The README's picture: the example in a window just large enough for it, without the screen
# around it (docs/mondrel-window.png is a copy of this one).
xdotool windowsize "$xdo_win" 980 450
step=$((step + 1))
sleep 1
window_shot=$(printf '%s/%02d-window.png' "$out" "$step")
import -window "$xdo_win" "$window_shot"
echo "tour: $window_shot"
xdotool windowsize "$xdo_win" 1280 800
sleep 0.5

# A new sheet: a click on the code of its one blank line opens it for editing; each Enter
# commits the line and opens a new one below. Lines without a name are named temp_1, ...
xdo_key ctrl+n
sleep 1
xdo_click_at "${xdo_new_sheet_first_code[@]}"
xdo_type_line "12.5"
xdo_type_line "8"
xdo_type_line "temp_1 * temp_2"
xdo_type_line "Sqr(temp_3)"
xdo_key Escape
sleep 0.5
xdo_key F9
shot new-sheet-run 2

# The toolbars above the sheet, and the Edit menu open on it (its Paste item follows the
# clipboard); a line selected with the arrow keys shows its code word's syntax on the bar.
xdo_key Up Up
xdo_key alt+e
shot edit-menu
xdo_key Escape
sleep 0.5
xdo_key alt+r
shot run-menu
xdo_key Escape
sleep 0.5

# Exit from the File menu: the modified sheet asks whether to save it; the answer is No.
xdo_key alt+f
shot file-menu
xdo_key_focused x
shot save-question
xdo_key_focused alt+n
xdo_wait_exit 10
echo "tour: done, $step screenshots in $out"
