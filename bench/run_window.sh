#!/usr/bin/env bash
# The window's figures, offscreen:
#   start-up   process start to the first paint of the grid (mondrel --benchmark-startup,
#              the Welcome page), against a bare Qt window (window_reference) started the same
#              way; median of several runs each, and the ratio.
#   100,000 lines  scrolling one screen, an edit until the grid shows it (auto run off), the
#              load with its first run, and the peak memory, beside the same figures on 1,000
#              lines and the headless runner's peak memory on the same sheet.
#   bench/run_window.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build-release}
for p in "$build/mondrel" "$build/bench/window_bench" "$build/bench/window_reference"; do
  if [ ! -x "$p" ]; then
    echo "run_window: $p is not built; skipped"
    exit 0
  fi
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Settings the window may write stay in the scratch folder.
export QT_QPA_PLATFORM=offscreen HOME=$tmp XDG_CONFIG_HOME=$tmp/config XDG_STATE_HOME=$tmp/state \
       XDG_RUNTIME_DIR=$tmp/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

python3 - "$build" "$tmp" <<'PY'
import os, subprocess, sys, time

build, tmp = sys.argv[1], sys.argv[2]
RUNS = 7

def first_paint_ms(cmd):
    t0 = time.monotonic_ns()
    r = subprocess.run(cmd, capture_output=True, text=True, timeout=120)
    for line in r.stdout.splitlines():
        if line.startswith("first_paint_monotonic_ns="):
            return (int(line.split("=", 1)[1]) - t0) / 1e6
    raise SystemExit(f"run_window: {cmd[0]} printed no first paint (status {r.returncode}): "
                     + r.stderr.strip()[-300:])

def median(v):
    v = sorted(v)
    return v[len(v) // 2]

mondrel = [os.path.join(build, "mondrel"), "--benchmark-startup"]
reference = [os.path.join(build, "bench", "window_reference")]
first_paint_ms(mondrel)  # the first start pays for the disk cache; it is not counted
first_paint_ms(reference)
m, r = [], []
for _ in range(RUNS):  # interleaved, so a busy moment of the machine hits both
    m.append(first_paint_ms(mondrel))
    r.append(first_paint_ms(reference))
print("start-up to the first paint (offscreen, median of %d)" % RUNS)
print(f"  mondrel Welcome page  {median(m):8.1f} ms   (min {min(m):.1f}, max {max(m):.1f})")
print(f"  bare Qt window        {median(r):8.1f} ms   (min {min(r):.1f}, max {max(r):.1f})")
print(f"  ratio                 {median(m) / median(r):8.2f} x bare Qt")

def window_figures(lines):
    out = subprocess.run([os.path.join(build, "bench", "window_bench"), str(lines)],
                         capture_output=True, text=True, timeout=600)
    if out.returncode != 0:
        raise SystemExit(f"run_window: window_bench {lines} failed: " + out.stderr.strip()[-300:])
    return {k: float(v) for k, v in (l.split("=", 1) for l in out.stdout.split() if "=" in l)}

def runner_peak_kb(lines):
    path = os.path.join(tmp, "sheet.txt")
    with open(path, "w", newline="") as f:  # the sheet window_bench makes
        for i in range(lines):
            f.write(f"c 1 rem block {i} of the sheet\r\n" if i % 10 == 0 else f"c 1 v{i}:={i}*1.5\r\n")
    with open(os.devnull, "wb") as null:
        p = subprocess.Popen([os.path.join(build, "mondrel-run"), path], stdout=null,
                             stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(p.pid, 0)
    return usage.ru_maxrss if os.waitstatus_to_exitcode(status) in (0, 1) else float("nan")

small, large = window_figures(1000), window_figures(100000)
print()
print(f"{'window, offscreen':28}{'1,000 lines':>14}{'100,000 lines':>16}{'ratio':>8}")
rows = [("scroll one screen (ms)", "scroll_page_ms"), ("edit one line (ms)", "edit_ms"),
        ("update_actions (ms)", "update_actions_ms"),
        ("load and first run (ms)", "load_ms")]
for title, key in rows:
    print(f"{title:28}{small[key]:14.3f}{large[key]:16.3f}{large[key] / small[key]:8.2f}")
print(f"{'peak memory VmHWM (MB)':28}{small['vmhwm_kb'] / 1024:14.1f}{large['vmhwm_kb'] / 1024:16.1f}"
      f"{large['vmhwm_kb'] / small['vmhwm_kb']:8.2f}")
if os.path.exists(os.path.join(build, "mondrel-run")):
    runner = runner_peak_kb(100000)
    print(f"{'mondrel-run, same sheet (MB)':28}{'':14}{runner / 1024:16.1f}"
          f"{large['vmhwm_kb'] / runner:8.2f}  (window / runner)")
if not (small["first_run"] and large["first_run"]):
    print("note: the sheet was not run when it opened; load times hold no run")
PY
