#!/usr/bin/env python3
"""Runs the runner's whole-output cases: each output/NAME.case.json holds steps run in order,
  {"steps": [{"args": [...], "status": 0, "stdout": "NAME.out"}, ...]}
with the arguments given to the runner as they are (file names relative to the case folder,
which is the working folder). "status" is the expected exit status; "stdout", when given, names
a file whose text the standard output must equal exactly; "stdout_empty": true asks for no
output at all; "max_seconds" bounds the step's wall time (for runs cut short by --timeout).
Usage: check_output.py RUNNER CASE_DIR. Ends with 'N passed, M failed'.
"""
import json, os, subprocess, sys, time

def run_case(runner, case_dir, name):
    with open(os.path.join(case_dir, name), encoding="utf-8") as f:
        case = json.load(f)
    for n, step in enumerate(case["steps"]):
        try:
            start = time.monotonic()
            out = subprocess.run([runner] + step["args"], capture_output=True, timeout=60,
                                 cwd=case_dir)
            took = time.monotonic() - start
        except Exception as e:
            return f"step {n}: runner failed: {e}"
        if "max_seconds" in step and took > step["max_seconds"]:
            return f"step {n}: took {took:.1f} s, expected at most {step['max_seconds']} s"
        if "status" in step and out.returncode != step["status"]:
            return (f"step {n}: exit status {out.returncode}, expected {step['status']}\n"
                    f"stderr: {out.stderr.decode('utf-8', 'replace')}")
        if step.get("stdout_empty") and out.stdout:
            return f"step {n}: expected no output, got {out.stdout[:200]!r}"
        if "stdout" in step:
            with open(os.path.join(case_dir, step["stdout"]), "rb") as f:
                want = f.read()
            if out.stdout != want:
                return (f"step {n}: output differs from {step['stdout']}\n--- got\n"
                        f"{out.stdout.decode('utf-8', 'replace')}--- expected\n"
                        f"{want.decode('utf-8', 'replace')}")
    return None

def main():
    runner, case_dir = os.path.abspath(sys.argv[1]), sys.argv[2]
    passed = failed = 0
    for name in sorted(os.listdir(case_dir)):
        if not name.endswith(".case.json"):
            continue
        problem = run_case(runner, case_dir, name)
        if problem:
            print(f"{name[:-len('.case.json')]}: {problem}")
            failed += 1
        else:
            passed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0

if __name__ == "__main__":
    sys.exit(main())
