#!/usr/bin/env bash
# A tour of the real window for people to look at: starts build/mondrel on a virtual X screen,
# walks through the Welcome page, the Help, an example opened from the help and a new sheet
# with a few typed lines run with F9, and saves a screenshot of each step.
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

# There is no window manager on the virtual screen: keys go to the window that has the focus,
# so the window is given it again before each key.
key() {
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  xdotool key --delay 80 "$@"
}

type_line() {
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  xdotool type --delay 40 "$1"
  xdotool key Return
  sleep 0.3
}

# A click at a point of the window (pixels from its top-left corner).
click_at() {
  xdotool mousemove --window "$win" "$1" "$2" click 1
  sleep 0.8
}

# The grid's row r (1 is the first line below the header), at x: the window paints the grid
# below the menu, toolbars and tab strip; TOUR_GRID_TOP and TOUR_ROW_HEIGHT fix where.
grid_top=${TOUR_GRID_TOP:-120}
row_height=${TOUR_ROW_HEIGHT:-18}
click_row() {
  click_at "$2" $((grid_top + row_height * $1 + row_height / 2))
}

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
shot welcome 2

key F1
shot help

# Help: the "Examples" link, then the first example listed there.
click_row "${TOUR_EXAMPLES_ROW:-15}" "${TOUR_LINK_X:-160}"
shot examples
click_row "${TOUR_EXAMPLE_ROW:-6}" "${TOUR_LINK_X:-160}"
shot example

# A new sheet: its one blank line opens for editing with a click on the code; Enter keeps
# adding lines below.
key ctrl+n
sleep 1
click_row 1 "${TOUR_CODE_X:-160}"
type_line "price = 12.5"
type_line "count = 8"
type_line "price * count"
type_line "rem the total of the order"
key Escape
key F9
shot new-sheet-run

# Close: the modified sheet asks whether to save it; the answer is No.
key alt+f
key x
sleep 1
shot save-question 0.5
key n
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
