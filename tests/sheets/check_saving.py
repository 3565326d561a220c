#!/usr/bin/env python3
"""The runner's --save against places that are no plain writable file: a read-only file, a
folder, a FIFO, a name ending in a separator, and a symbolic link (which is followed). Each
case is made afresh in a scratch folder; the runner must refuse with exit status 2 and a clear
message, leaving what was there as it was, or (for the link) write the file it points to.
The read-only case holds for root too: the program looks at the permission bits itself.
Usage: check_saving.py RUNNER SHEET. Ends with 'N passed, M failed'.
"""
import os, shutil, stat, subprocess, sys, tempfile

def run(runner, cwd, *args):
    return subprocess.run([runner, *args], capture_output=True, timeout=60, cwd=cwd)

def refused(runner, sheet, cwd, target, reason):
    out = run(runner, cwd, "--save", target, sheet)
    err = out.stderr.decode("utf-8", "replace")
    if out.returncode != 2:
        return f"exit status {out.returncode}, expected 2; stderr: {err}"
    if "Could not save the file: " not in err or reason not in err:
        return f"stderr lacks the reason {reason!r}: {err}"
    return None

def case_read_only(runner, sheet, d):
    path = os.path.join(d, "locked.txt")
    with open(path, "w") as f:
        f.write("the old contents")
    os.chmod(path, stat.S_IRUSR | stat.S_IRGRP)
    problem = refused(runner, sheet, d, "locked.txt", "the file is read-only")
    with open(path) as f:
        if f.read() != "the old contents":
            problem = problem or "the read-only file was replaced"
    return problem

def case_folder(runner, sheet, d):
    os.mkdir(os.path.join(d, "folder.mdr"))
    problem = refused(runner, sheet, d, "folder.mdr", "not a regular file")
    if not os.path.isdir(os.path.join(d, "folder.mdr")):
        problem = problem or "the folder is gone"
    return problem

def case_fifo(runner, sheet, d):
    if not hasattr(os, "mkfifo"):
        return None
    os.mkfifo(os.path.join(d, "pipe.txt"))
    return refused(runner, sheet, d, "pipe.txt", "not a regular file")

def case_trailing_separator(runner, sheet, d):
    os.mkdir(os.path.join(d, "DIR"))
    problem = refused(runner, sheet, d, "DIR/", "not a file name")
    if os.listdir(os.path.join(d, "DIR")):
        problem = problem or f"wrote into the folder: {os.listdir(os.path.join(d, 'DIR'))}"
    return problem

def case_link(runner, sheet, d):
    os.mkdir(os.path.join(d, "real"))
    target = os.path.join(d, "real", "sheet.txt")
    with open(target, "w") as f:
        f.write("old")
    os.symlink(os.path.join("real", "sheet.txt"), os.path.join(d, "link.txt"))
    out = run(runner, d, "--save", "link.txt", sheet)
    if out.returncode != 0:
        return f"exit status {out.returncode}: {out.stderr.decode('utf-8', 'replace')}"
    if not os.path.islink(os.path.join(d, "link.txt")):
        return "the link was replaced by a file"
    with open(target) as f:
        if f.read() == "old":
            return "the file the link points to was not written"
    if sorted(os.listdir(os.path.join(d, "real"))) != ["sheet.txt"]:
        return f"files left beside the target: {os.listdir(os.path.join(d, 'real'))}"
    return None

CASES = [case_read_only, case_folder, case_fifo, case_trailing_separator, case_link]

def main():
    runner, sheet = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    passed = failed = 0
    for case in CASES:
        d = tempfile.mkdtemp(prefix="mondrel-saving-")
        try:
            problem = case(runner, sheet, d)
        except Exception as e:  # a hang or a crash fails the case, not the script
            problem = f"failed: {e}"
        finally:
            shutil.rmtree(d, ignore_errors=True)
        if problem:
            print(f"{case.__name__[5:]}: {problem}")
            failed += 1
        else:
            passed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0

if __name__ == "__main__":
    sys.exit(main())
