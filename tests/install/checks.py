"""What the install, package and manual page tests share: failed checks are collected and
printed as they happen, so one run reports every fault and not only the first."""

import subprocess

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run(cmd, timeout=300, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, timeout=timeout, **kw)
