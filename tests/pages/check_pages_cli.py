#!/usr/bin/env python3
"""mondrel-run and the built-in pages: every page prints, every example runs without an error
line, an example saved with --save runs again from the file, and a name that is no page fails.

usage: check_pages_cli.py MONDREL_RUN WORK_FOLDER
"""
import os
import subprocess
import sys


def run(args, cwd):
    return subprocess.run(args, cwd=cwd, capture_output=True, text=True, timeout=120)


def main():
    runner, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    failures = []
    listing = run([runner, "--list-pages"], work)
    names = [line.split("\t")[0] for line in listing.stdout.splitlines() if line]
    if listing.returncode != 0 or len(names) != 57:
        failures.append("--list-pages: status %d, %d pages" % (listing.returncode, len(names)))
    for name in names:
        r = run([runner, "--page", name], work)
        if r.returncode != 0 or not r.stdout:
            failures.append("--page %s: status %d: %s" % (name, r.returncode, r.stderr.strip()))
    saved = os.path.join(work, "mortgage.mdr")
    r = run([runner, "--page", "Example_mortgage", "--save", saved], work)
    again = run([runner, "--format", "csv", saved], work)
    if r.returncode != 0 or again.returncode != 0 or "1,199.10" not in again.stdout:
        failures.append("--save of an example: %d then %d" % (r.returncode, again.returncode))
    r = run([runner, "--page", "No_such_page"], work)
    if r.returncode != 2 or "no built-in page is called No_such_page" not in r.stderr:
        failures.append("an unknown page: status %d: %s" % (r.returncode, r.stderr.strip()))
    r = run([runner, "--page", "Help", "sheet.mdr"], work)
    if r.returncode != 2:
        failures.append("--page with a FILE: status %d" % r.returncode)
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
