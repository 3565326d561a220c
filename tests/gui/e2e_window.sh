#!/usr/bin/env bash
# The desktop program end to end, as a user drives it: the real mondrel on a virtual X screen,
# with real keys and clicks from xdotool.
#
#   tests/gui/e2e_window.sh MONDREL MONDREL_RUN
#
# 1. A new sheet with Auto Run off typed line by line (a FOR line with a child among them) and
#    run with F9, its cells in the window copied before and after; saved through the real Save
#    As dialog and the program left by File Exit; the saved file is then read back and run by
#    mondrel-run, and its lines and values are checked.
# 2. The Help, its Examples link and an example's link clicked, a line of the example edited,
#    File Exit answered No at "Save changes to ...?"; nothing but the program's settings (and
#    log) may appear in the scratch home or the working folder.
#
# Exits 77 (skipped) when a tool it needs is missing; every wait is bounded, and the whole test
# ends within a minute even when the window never shows or never closes.
set -euo pipefail

xdo_name=e2e_window
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/gui/xdo_lib.sh
source "$here/xdo_lib.sh"

[ $# -eq 2 ] || { echo "usage: $0 MONDREL MONDREL_RUN" >&2; exit 2; }
program=$(realpath -m "$1")
runner=$(realpath -m "$2")

if [ -z "${XDO_INSIDE:-}" ]; then
  missing=$(xdo_missing_tools xvfb-run xauth xdotool xclip python3)
  if [ -n "$missing" ]; then
    echo "e2e_window: SKIPPED: not installed: $missing (scripts/install-deps.sh installs them)"
    exit 77
  fi
  for f in "$program" "$runner"; do
    [ -x "$f" ] || { xdo_say "$f is not built"; exit 1; }
  done
  xdo_run_on_virtual_screen 55 "$0" "$program" "$runner"
  exit 0
fi

# Numbers in the sheets read and show the same whatever the machine's locale.
export LC_ALL=C.UTF-8 LANG=C.UTF-8

# ---- 1. A typed sheet, run, saved and read back ---------------------------------------------

# Checks the saved codesheet SHEET: its XML lines in order, then the values mondrel-run shows.
check_saved_sheet() {
  local sheet=$1
  [ -f "$sheet" ] || xdo_fail "File Save wrote no $sheet"
  python3 - "$runner" "$sheet" <<'EOF' || xdo_fail "the saved sheet $sheet is not the sheet typed"
import json, subprocess, sys
import xml.etree.ElementTree as ET

runner, sheet = sys.argv[1:3]
faults = []
root = ET.parse(sheet).getroot()
if root.tag != "mondrel":
    faults.append(f"root element <{root.tag}>, not <mondrel>")
lines = [(l.get("type", ""), l.findtext("code", ""), l.findtext("name", ""),
          int(l.findtext("count", "0"))) for l in root.findall("line")]
# type, code, name and the line count (1 + children) of each typed line, in order.
typed = [("", "12.5", "temp_1", 1), ("", "8", "temp_2", 1), ("", "temp_1 * temp_2", "temp_3", 1),
         ("", "0", "total", 1), ("for", "1 to 3", "i", None), ("", "total + i * 2", "total", 1)]
for k, want in enumerate(typed):
    got = lines[k] if k < len(lines) else None
    if got is None or got[:3] != want[:3] or (want[3] is not None and got[3] != want[3]):
        faults.append(f"line {k + 1} is {got}, expected {want}")
# Enter after the FOR line opened its child, so the child belongs to the loop.
if len(lines) > 4 and lines[4][3] < 2:
    faults.append("the FOR line has no child")

run = subprocess.run([runner, "--format", "json", sheet], capture_output=True, text=True,
                     timeout=30)
if run.returncode != 0:
    faults.append(f"mondrel-run ended with {run.returncode}: {run.stderr.strip()}")
shown = {}
for line in json.loads(run.stdout)["lines"] if run.stdout else []:
    if line["status"] != 0:
        faults.append(f"line {line['number']} ({line['code']}) fails: {line['error']}")
    shown.setdefault(line["code"], line["values"])
# The loop adds 2, 4 and 6 to the total; its variable ends one step past the stop, and every
# line named total shows the variable's final value.
values = {"12.5": ["12.5"], "8": ["8"], "temp_1 * temp_2": ["100"], "0": ["12"],
          "1 to 3": ["4"], "total + i * 2": ["12"]}
for code, want in values.items():
    if shown.get(code) != want:
        faults.append(f"the line {code!r} shows {shown.get(code)}, expected {want}")
for fault in faults:
    print(f"e2e_window:   {fault}", file=sys.stderr)
sys.exit(1 if faults else 0)
EOF
}

# Checks that the rows copied into xdo_text hold the row ROW (cells separated by tabs).
expect_row() {
  grep -qxF -- "$1" <<<"$xdo_text" ||
    xdo_fail "no row \"${1//$'\t'/ | }\" $2; the window shows:"$'\n'"${xdo_text//$'\t'/ | }"
}

scenario_save() {
  xdo_say "1: type a sheet, run it, save it through the dialog, exit"
  xdo_scratch
  xdo_start "$program"
  xdo_wait_title "$xdo_caption - Welcome"
  xdo_key ctrl+n
  xdo_wait_title "$xdo_caption - Newfile"
  # A new sheet runs after every change; with Run > Auto Run off only F9 runs it.
  xdo_menu_item r a
  # A click on the code of the new sheet's one line opens it for editing; each Enter commits
  # a line and opens the next. Enter after the FOR line opens its first child instead, and
  # Enter after that child a blank second one, which Escape leaves.
  xdo_click_at "${xdo_new_sheet_first_code[@]}"
  xdo_type_line "12.5"
  xdo_type_line "8"
  xdo_type_line "temp_1 * temp_2"
  xdo_type_line "0" total
  xdo_type_line "for 1 to 3" i
  xdo_type_line "total + i * 2" total
  xdo_key Escape
  xdo_sheet_cells
  expect_row "$(printf 'temp_1 * temp_2\ttemp_3')" "before F9"
  xdo_key F9
  # The cells the window shows after the run: code, name and value of each row.
  xdo_sheet_cells
  expect_row "$(printf '12.5\ttemp_1\t12.5')" "after F9"
  expect_row "$(printf 'temp_1 * temp_2\ttemp_3\t100')" "after F9"
  expect_row "$(printf '1 to 3\ti\t4')" "after F9"
  expect_row "$(printf 'total + i * 2\ttotal\t12')" "after F9"

  xdo_key ctrl+s
  xdo_wait_dialog "Save As"
  # The file name field has the focus with "Newfile" selected: typing replaces it, and the
  # dialog adds ".mdr".
  xdo_type "$xdo_root/work/sum"
  xdo_key_focused Return
  xdo_wait_title "$xdo_caption - sum"

  xdo_menu_item f x # File > Exit
  xdo_wait_exit 15
  [ "$xdo_status" -eq 0 ] || xdo_fail "the program ended with status $xdo_status"
  check_saved_sheet "$xdo_root/work/sum.mdr"
  xdo_cleanup
}

# ---- 2. An example from the Help, edited and not saved ----------------------------------------

# Every file under the scratch home and the working folder with its checksum.
list_files() {
  (cd "$xdo_root" && find home work -type f -exec md5sum {} + | sort -k 2)
}

# Clicks at X Y the link to TARGET on the page shown and checks, by the text of the page then
# shown, that it is the page holding SHOWN: a link that moved fails here, naming its line.
follow_link() {
  local target=$1 x=$2 y=$3 shown=$4 line
  xdo_sheet_text
  line=$(printf '%s\n' "$xdo_text" | grep -n -F "[$target]" | head -n 1 | cut -d: -f1)
  [ -n "$line" ] || xdo_fail "the page shown has no link to $target"
  xdo_click_at "$x" "$y"
  xdo_sheet_text
  case "$xdo_text" in
  *"$shown"*) ;;
  *) xdo_fail "the click at $x,$y did not follow the link to $target, on line $line of its page" \
       "(the click positions are in xdo_lib.sh)" ;;
  esac
}

scenario_discard() {
  xdo_say "2: open an example from the Help, edit it, exit without saving"
  xdo_scratch
  local before after changed
  before=$(list_files)
  xdo_start "$program"
  xdo_wait_title "$xdo_caption - Welcome"
  xdo_key F1
  xdo_wait_title "$xdo_caption - Help"
  # The Examples page opens in the Help's tab, whose name (and so the title) stays "Help".
  follow_link "__Examples" "${xdo_help_examples_link[@]}" "Mondrel Examples"
  follow_link "**Example_mortgage" "${xdo_examples_mortgage_link[@]}" "Mortgage Amortization"
  xdo_wait_title "$xdo_caption - Example_mortgage"

  # Line 5 of the example is the interest rate: Home selects line 1, Enter opens the code of
  # the selected line with its text selected, so typing replaces it.
  [ "$(printf '%s\n' "$xdo_text" | sed -n 5p)" = "o 1 rate_pct:=6" ] ||
    xdo_fail "line 5 of the example is not \"rate_pct:=6\""
  xdo_key Home Down Down Down Down Return
  xdo_type "7"
  xdo_key Return
  xdo_sheet_text
  [ "$(printf '%s\n' "$xdo_text" | sed -n 5p)" = "o 1 rate_pct:=7" ] ||
    xdo_fail "typing 7 over line 5 of the example did not change it"

  xdo_menu_item f x # File > Exit
  xdo_wait_dialog "Save Changes"
  xdo_key_focused alt+n
  xdo_wait_exit 15
  [ "$xdo_status" -eq 0 ] || xdo_fail "the program ended with status $xdo_status"

  after=$(list_files)
  changed=$(comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after") | awk '{print $2}')
  xdo_say "written: $(tr '\n' ' ' <<<"${changed:-nothing}")"
  local file
  for file in $changed; do
    case "$file" in
    home/.config/Mondrel/Mondrel.conf | home/.local/state/mondrel/mondrel.log) ;;
    *) xdo_fail "answering No to \"Save changes\" still wrote $file" ;;
    esac
  done
  xdo_cleanup
}

started=$SECONDS
scenario_save
scenario_discard
xdo_say "passed in $((SECONDS - started)) seconds"
