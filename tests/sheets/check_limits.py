#!/usr/bin/env python3
"""The runner's limits on a sheet's size: a sheet with more lines than --max-lines (4,000,000 by
default) is refused before it is loaded, with a message and exit status 2, and other sheets of
the same call still run; memory that runs out (an address-space limit) gives exit status 2 and a
message, never an abort. Usage: check_limits.py RUNNER. Ends with 'N passed, M failed'.
"""
import os, resource, subprocess, sys, tempfile

DEFAULT_MAX = 4000000
EMPTY = "c 1 =\r\n"

def write(path, text):
    with open(path, "w", newline="") as f:
        f.write(text)

def run(runner, args, cwd, limit=None):
    def cap():
        if limit:
            resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    return subprocess.run([runner] + args, capture_output=True, timeout=300, cwd=cwd,
                          preexec_fn=cap if limit else None)

def under_asan(runner):
    with open(runner, "rb") as f:
        return b"__asan_init" in f.read()

def main():
    runner = os.path.abspath(sys.argv[1])
    failures = []
    passed = 0

    def check(name, ok, detail=""):
        nonlocal passed
        if ok:
            passed += 1
        else:
            failures.append(f"{name}: {detail}")

    with tempfile.TemporaryDirectory() as tmp:
        write(os.path.join(tmp, "e1001.txt"), EMPTY * 1001)
        write(os.path.join(tmp, "small.txt"), "o 1 a:=1+1\r\n" + EMPTY)

        # The limit set lower: one line too many is refused, exactly the limit loads.
        r = run(runner, ["--max-lines", "1000", "e1001.txt"], tmp)
        err = r.stderr.decode()
        check("over the limit", r.returncode == 2 and
              "e1001.txt: 1001 lines, more than the 1000 lines mondrel-run takes" in err,
              f"status {r.returncode}, stderr {err!r}")
        check("no rows of it printed", b"  =" not in r.stdout, repr(r.stdout[:200]))
        r = run(runner, ["--max-lines", "1001", "e1001.txt"], tmp)
        check("at the limit", r.returncode == 0 and r.stdout.endswith(b"1001  =\n"),
              f"status {r.returncode}, tail {r.stdout[-40:]!r}")

        # A refused sheet does not stop the others.
        r = run(runner, ["--max-lines", "1000", "e1001.txt", "small.txt"], tmp)
        check("others still run",
              r.returncode == 2 and b"== small.txt\n1  =  1+1  a    2\n" in r.stdout,
              f"status {r.returncode}, stdout {r.stdout[:300]!r}")

        # A codesheet (XML) is counted by its line elements.
        r = run(runner, ["--save", "three.mdr", "small.txt"], tmp)
        check("saved as XML", r.returncode == 0, r.stderr.decode())
        r = run(runner, ["--max-lines", "1", "three.mdr"], tmp)
        check("XML over the limit", r.returncode == 2 and "2 lines, more than the 1 lines" in
              r.stderr.decode(), f"status {r.returncode}, stderr {r.stderr.decode()!r}")
        r = run(runner, ["--max-lines", "2", "three.mdr"], tmp)
        check("XML at the limit", r.returncode == 0, f"status {r.returncode}")

        # Line elements cut by the counter's 1 MiB reads are counted once.
        with open(os.path.join(tmp, "three.mdr"), "rb") as f:
            xml = f.read()
        first = xml.index(b"<line")
        for k in range(1, 7):
            padded = xml[:first] + b" " * ((1 << 20) - k - first) + xml[first:]
            with open(os.path.join(tmp, "padded.mdr"), "wb") as f:
                f.write(padded)
            r = run(runner, ["--max-lines", "1", "padded.mdr"], tmp)
            check(f"tag cut {k} before a read's end", r.returncode == 2 and
                  "2 lines, more than" in r.stderr.decode(), r.stderr.decode())

        # The default limit: refused before anything is built, so this is cheap even though
        # the file holds four million lines.
        write(os.path.join(tmp, "huge.txt"), EMPTY * (DEFAULT_MAX + 1))
        r = run(runner, ["huge.txt"], tmp)
        check("default limit", r.returncode == 2 and
              f"{DEFAULT_MAX + 1} lines, more than the {DEFAULT_MAX} lines" in r.stderr.decode(),
              f"status {r.returncode}, stderr {r.stderr.decode()!r}")
        os.remove(os.path.join(tmp, "huge.txt"))

        # Memory that runs out: a clear message and status 2 wherever it happens (loading,
        # running or building the rows), never a signal. AddressSanitizer needs more address
        # space than these limits, so its build skips this part.
        if not under_asan(runner):
            write(os.path.join(tmp, "e1m.txt"), EMPTY * 1000000)
            for mb in (150, 400, 650):
                r = run(runner, ["e1m.txt"], tmp, limit=mb << 20)
                err = r.stderr.decode()
                check(f"address space {mb} MB",
                      r.returncode in (0, 2) and (r.returncode == 0 or "not enough memory" in err),
                      f"status {r.returncode}, stderr {err[-300:]!r}")
            r = run(runner, ["e1m.txt"], tmp, limit=150 << 20)
            check("refused at 150 MB", r.returncode == 2, f"status {r.returncode}")

    for f in failures:
        print(f)
    print(f"{passed} passed, {len(failures)} failed")
    return 1 if failures else 0

if __name__ == "__main__":
    sys.exit(main())
