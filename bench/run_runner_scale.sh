#!/usr/bin/env bash
# mondrel-run --format json on generated sheets of 10,000 and 100,000 lines (expressions, IFs
# with children, arrays, formats, comments and a FOR loop): load, run, rows and output times
# reported separately, and the time per line of the large sheet over that of the small one
# (1.0 means the runner stays linear in the sheet's size).
set -euo pipefail
. "$(dirname "$0")/runner_common.sh" run_runner_scale "$@"
python3 - "$runner" "$tmp" <<'PY'
import os, re, subprocess, sys, time

runner, tmp = sys.argv[1], sys.argv[2]

from sheet_blocks import sheet_text

def sheet(lines):
    # A FOR loop of 100 passes over a three-line body heads the sheet; blocks fill the rest.
    return sheet_text(lines, ["o 1 total:=0", "o 4 i:for 1 to 100", "o 1 let total=total+i",
                              "o 1 sq:=i*i", "o 1 let total=total+sq"])

PHASES = ["load", "run", "rows", "output"]

def measure(lines):
    path = os.path.join(tmp, f"sheet_{lines}.txt")
    with open(path, "w", encoding="utf-8") as f:
        f.write(sheet(lines))
    env = dict(os.environ, MONDREL_RUN_TIMINGS="1")
    best = None
    for _ in range(3):
        t0 = time.perf_counter()
        r = subprocess.run([runner, "--format", "json", path], env=env, capture_output=True)
        wall = (time.perf_counter() - t0) * 1000
        found = {name: re.search(rb" %s ([\d.]+) ms \(cpu ([\d.]+) ms\)" % name.encode(), r.stderr)
                 for name in PHASES}
        if r.returncode not in (0, 1) or not all(found.values()):
            sys.exit(f"run_runner_scale: runner failed on {lines} lines "
                     f"(status {r.returncode}): {r.stderr[-400:]!r}")
        # Processor time of each phase (steady on a shared machine), then the whole wall time.
        parts = {name: float(m.group(2)) for name, m in found.items()}
        parts["whole (wall)"] = wall
        parts["bytes"] = len(r.stdout)
        if best is None or sum(parts[p] for p in PHASES) < sum(best[p] for p in PHASES):
            best = parts
    return best

small, large = measure(10_000), measure(100_000)
print("processor time per phase (best of 3); per-line ratio = (time/line at 100,000) / (time/line at 10,000)")
print(f"{'':14}{'10,000 lines':>14}{'100,000 lines':>15}{'per-line ratio':>16}")
for name in PHASES + ["whole (wall)"]:
    ratio = (large[name] / 100_000) / (small[name] / 10_000) if small[name] > 0 else float("nan")
    print(f"{name:14}{small[name]:>11.1f} ms{large[name]:>12.1f} ms{ratio:>16.2f}")
print(f"json output: {small['bytes'] / 1e6:.1f} MB and {large['bytes'] / 1e6:.1f} MB")
PY
