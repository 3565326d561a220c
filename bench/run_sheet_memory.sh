#!/usr/bin/env bash
# Peak memory of mondrel-run on long generated sheets: 1,000,000 and 3,000,000 empty lines, and
# 300,000 lines of expressions, IFs, arrays, formats and comments. Each sheet is loaded, run
# and printed (text output); the figure is the runner's peak resident set, in MB and in bytes
# per line, beside two references measured in the same call: the file's own size, and a
# python3 process holding the file's lines in a list. A sheet the runner cannot fit must end
# with exit status 2 and a message, never with a signal.
#   bench/run_sheet_memory.sh [BUILD_DIR] [RUNNER]
set -euo pipefail
. "$(dirname "$0")/runner_common.sh" run_sheet_memory "$@"
python3 - "$runner" "$tmp" <<'PY'
import os, subprocess, sys, time

runner, tmp = sys.argv[1], sys.argv[2]

from sheet_blocks import sheet_text

def mixed(lines):
    return sheet_text(lines)

def peak(cmd):
    """Runs cmd; returns (exit status or -signal, peak resident set in bytes, seconds)."""
    t0 = time.perf_counter()
    with open(os.devnull, "wb") as null:
        p = subprocess.Popen(cmd, stdout=null, stderr=subprocess.PIPE)
        err = p.stderr.read()
        _, status, usage = os.wait4(p.pid, 0)
        p.returncode = os.waitstatus_to_exitcode(status)
    return p.returncode, usage.ru_maxrss * 1024, time.perf_counter() - t0, err

HOLD_LINES = "import sys\nwith open(sys.argv[1], newline='') as f: lines = f.read().splitlines()\n"

sheets = [("1,000,000 empty lines", 1_000_000, lambda n: "c 1 =\r\n" * n),
          ("3,000,000 empty lines", 3_000_000, lambda n: "c 1 =\r\n" * n),
          ("300,000 mixed lines", 300_000, mixed)]
print(f"{'sheet':24}{'runner MB':>10}{'B/line':>8}{'file MB':>9}{'python MB':>11}"
      f"{'x python':>10}{'seconds':>9}  status")
bad = False
for title, n, make in sheets:
    path = os.path.join(tmp, "sheet.txt")
    with open(path, "w", newline="") as f:
        f.write(make(n))
    size = os.path.getsize(path)
    status, rss, secs, err = peak([runner, path])
    _, py_rss, _, _ = peak([sys.executable, "-c", HOLD_LINES, path])
    note = "ran" if status in (0, 1) else "refused" if status == 2 else f"FAILED ({status})"
    if status not in (0, 1, 2) or (status == 2 and not err):
        bad = True
    if status == 2:
        note += ": " + err.decode("utf-8", "replace").strip().splitlines()[-1]
    print(f"{title:24}{rss / 2**20:>10.0f}{rss / n:>8.0f}{size / 2**20:>9.1f}{py_rss / 2**20:>11.0f}"
          f"{rss / py_rss:>10.2f}{secs:>9.2f}  {note}")
    os.remove(path)
print("target: 1,000,000 empty lines load, run and print in under 1024 MB")
sys.exit(1 if bad else 0)
PY
