#!/usr/bin/env bash
# Include loading at run start: mondrel-run on sheets of 2,000 and 20,000 `incl` lines, each
# naming the same one-line file. Prints the processor time of the run phase (which loads the
# includes) and the time per include of the large sheet over that of the small one (1.0: the
# loading stays linear in the number of includes).
set -euo pipefail
. "$(dirname "$0")/runner_common.sh" run_incl_scale "$@"
python3 - "$runner" "$tmp" <<'PY'
import os, re, subprocess, sys

runner, tmp = sys.argv[1], sys.argv[2]
with open(os.path.join(tmp, "part.txt"), "w", encoding="utf-8") as f:
    f.write("o 1 x:=1\r\n")

def measure(includes):
    path = os.path.join(tmp, f"incl_{includes}.txt")
    with open(path, "w", encoding="utf-8") as f:
        f.write('o 1 incl "part.txt"\r\n' * includes)
    env = dict(os.environ, MONDREL_RUN_TIMINGS="1")
    best = None
    for _ in range(3):
        r = subprocess.run([runner, "--format", "csv", path], env=env, capture_output=True,
                           cwd=tmp)
        m = re.search(rb" run ([\d.]+) ms \(cpu ([\d.]+) ms\)", r.stderr)
        if r.returncode != 0 or not m:
            sys.exit(f"run_incl_scale: runner failed on {includes} includes "
                     f"(status {r.returncode}): {r.stderr[-400:]!r}")
        cpu = float(m.group(2))
        best = cpu if best is None else min(best, cpu)
    return best

small, large = measure(2_000), measure(20_000)
ratio = (large / 20_000) / (small / 2_000) if small > 0 else float("nan")
print("run phase (include loading and the run), processor time, best of 3")
print(f"  2,000 includes {small:10.1f} ms   20,000 includes {large:10.1f} ms")
print(f"  per-include ratio (20,000 over 2,000): {ratio:.2f}   (1.0: linear)")
PY
