#!/usr/bin/env bash
# Printing a 10,000-line sheet into a PDF (mondrel-run --pdf, data view, offscreen) beside the
# same run without printing (the reference); median of several runs each, and the time the
# printing adds.
#   bench/run_print.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build-release}
if [ ! -x "$build/mondrel-run" ]; then
  echo "run_print: $build/mondrel-run is not built; skipped"
  exit 0
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The settings the runner reads stay in the scratch folder (their defaults).
export QT_QPA_PLATFORM=offscreen HOME=$tmp XDG_CONFIG_HOME=$tmp/config

python3 - "$build" "$tmp" <<'PY'
import os, subprocess, sys, time

build, tmp = sys.argv[1], sys.argv[2]
RUNS = 5
LINES = 10000
sheet = os.path.join(tmp, "print.txt")
with open(sheet, "w") as f:
    for i in range(LINES):
        f.write(f"c 1 rem block {i} of the sheet\r\n" if i % 10 == 0 else f"c 1 v{i}:={i}*1.5\r\n")
runner = os.path.join(build, "mondrel-run")
pdf = os.path.join(tmp, "print.pdf")

def seconds(cmd):
    t0 = time.monotonic()
    r = subprocess.run(cmd, capture_output=True, text=True, timeout=600)
    if r.returncode not in (0, 1):
        raise SystemExit(f"run_print: {' '.join(cmd)} failed ({r.returncode}): {r.stderr[-300:]}")
    return time.monotonic() - t0

def median(v):
    v = sorted(v)
    return v[len(v) // 2]

ref = median([seconds([runner, "--format", "csv", sheet]) for _ in range(RUNS)])
printed = median([seconds([runner, "--format", "csv", "--pdf", pdf, sheet]) for _ in range(RUNS)])
pages = "?"
try:
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
    pages = next(l.split()[-1] for l in info.splitlines() if l.startswith("Pages:"))
except (OSError, StopIteration):
    pass
print(f"{'mondrel-run, 10,000 lines':32}{'seconds':>10}")
print(f"{'run only (reference)':32}{ref:>10.3f}")
print(f"{'run and --pdf, data view':32}{printed:>10.3f}   ({pages} pages, {os.path.getsize(pdf)} bytes)")
print(f"{'printing adds':32}{printed - ref:>10.3f}   (goal: the whole print under 3 s)")
PY
