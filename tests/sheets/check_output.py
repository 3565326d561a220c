#!/usr/bin/env python3
"""Runs the runner's whole-output cases: each output/NAME.case.json holds steps run in order,
  {"steps": [{"args": [...], "status": 0, "stdout": "NAME.out"}, ...]}
with the arguments given to the runner as they are (file names relative to the case folder,
which is the working folder). "status", the expected exit status, is required of every step;
"stdout", when given, names a file whose text the standard output must equal exactly;
"stdout_empty": true asks for no output at all; "stderr_contains", when given, is a text the
standard error must hold (its control characters already escaped as the runner escapes them);
"writes" maps each file the step must write to the file its bytes must equal (the written file
is removed before the step, so an old copy cannot pass for a new one).
"max_seconds" bounds the step's wall time (for runs cut short by --timeout).
Usage: check_output.py RUNNER CASE_DIR. Ends with 'N passed, M failed'.
"""
import json, os, subprocess, sys, time

def run_case(runner, case_dir, name):
    with open(os.path.join(case_dir, name), encoding="utf-8") as f:
        case = json.load(f)
    for n, step in enumerate(case["steps"]):
        if "status" not in step:
            return f"step {n}: no expected exit status"
        writes = step.get("writes", {})
        for written in writes:
            path = os.path.join(case_dir, written)
            if os.path.exists(path):
                os.remove(path)
        try:
            start = time.monotonic()
            out = subprocess.run([runner] + step["args"], capture_output=True, timeout=60,
                                 cwd=case_dir)
            took = time.monotonic() - start
        except Exception as e:
            return f"step {n}: runner failed: {e}"
        if "max_seconds" in step and took > step["max_seconds"]:
            return f"step {n}: took {took:.1f} s, expected at most {step['max_seconds']} s"
        if out.returncode != step["status"]:
            return (f"step {n}: exit status {out.returncode}, expected {step['status']}\n"
                    f"stderr: {out.stderr.decode('utf-8', 'replace')}")
        if "stderr_contains" in step and step["stderr_contains"] not in out.stderr.decode(
                "utf-8", "replace"):
            return (f"step {n}: standard error lacks {step['stderr_contains']!r}\n"
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
        for written, expected in writes.items():
            problem = compare_file(case_dir, written, expected)
            if problem:
                return f"step {n}: {problem}"
    return None

def compare_file(case_dir, written, expected):
    path = os.path.join(case_dir, written)
    if not os.path.isfile(path):
        return f"{written} was not written"
    with open(path, "rb") as got, open(os.path.join(case_dir, expected), "rb") as want:
        got_bytes, want_bytes = got.read(), want.read()
    if got_bytes != want_bytes:
        return (f"{written} differs from {expected}\n--- got\n"
                f"{got_bytes.decode('utf-8', 'replace')}--- expected\n"
                f"{want_bytes.decode('utf-8', 'replace')}")
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
