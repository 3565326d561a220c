#!/usr/bin/env python3
"""Prints small sheets with mondrel-run --pdf and reads the pages back with poppler's tools:
page count, heading, footer, values, the source view's code, and an unwritable output path.
Skipped (status 0 with a note) when pdftotext or pdfinfo is not installed.
"""
import os
import shutil
import subprocess
import sys
import tempfile

runner = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run(cmd, env):
    return subprocess.run(cmd, capture_output=True, text=True, timeout=120, env=env)


if not shutil.which("pdftotext") or not shutil.which("pdfinfo"):
    print("print_pdf: poppler-utils (pdftotext, pdfinfo) not installed; skipped")
    sys.exit(0)

SHEET = """o 1 rem Shopping
o 1 apples:=3*1.25
o 1 pears:=4*0.5
o 1 total:=apples+pears
"""

with tempfile.TemporaryDirectory() as tmp:
    # The settings the runner reads stay in the scratch folder (defaults).
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=tmp,
               XDG_CONFIG_HOME=os.path.join(tmp, "config"))
    sheet = os.path.join(tmp, "shop.txt")
    with open(sheet, "w") as f:
        f.write(SHEET)

    def pdf_text(pdf):
        info = run(["pdfinfo", pdf], env).stdout
        pages = [int(l.split()[-1]) for l in info.splitlines() if l.startswith("Pages:")]
        text = run(["pdftotext", "-layout", pdf, "-"], env).stdout
        return (pages[0] if pages else 0), text

    cases = [
        # name, extra options, texts that must be on the page, texts that must not
        ("data", [], ["Mondrel - shop", "Page: 1 of 1", "5.75", "3.75"], []),
        ("source", ["--print-view", "source"],
         ["Mondrel - shop", "Page: 1 of 1", "3*1.25", "4*0.5", "apples+pears"], ["3.75"]),
        ("source_numbers", ["--print-view", "source", "--print-line-numbers"],
         ["Page: 1 of 1", "3*1.25"], []),
    ]
    for name, extra, present, absent in cases:
        pdf = os.path.join(tmp, name + ".pdf")
        r = run([runner, "--pdf", pdf] + extra + [sheet], env)
        check(r.returncode == 0, f"{name}: exit status {r.returncode}: {r.stderr.strip()}")
        if not os.path.exists(pdf):
            check(False, f"{name}: no PDF written")
            continue
        pages, text = pdf_text(pdf)
        check(pages == 1, f"{name}: {pages} pages, 1 expected")
        for t in present:
            check(t in text, f"{name}: {t!r} not on the page:\n{text}")
        for t in absent:
            check(t not in text, f"{name}: {t!r} on the page")

    # The margins come from the settings: a top margin of 100 mm (283 points) moves the
    # heading down from near the top of the page.
    def heading_top(pdf):
        box = run(["pdftotext", "-bbox", pdf, "-"], env).stdout
        for line in box.splitlines():
            if ">Mondrel<" in line:
                return float(line.split('yMin="')[1].split('"')[0])
        return None
    default_top = heading_top(os.path.join(tmp, "data.pdf"))
    conf = os.path.join(tmp, "config", "Mondrel")
    os.makedirs(conf, exist_ok=True)
    with open(os.path.join(conf, "Mondrel.conf"), "w") as f:
        f.write("[General]\nprint_margins_mm_top=100\n")
    pdf = os.path.join(tmp, "margins.pdf")
    r = run([runner, "--pdf", pdf, sheet], env)
    os.remove(os.path.join(conf, "Mondrel.conf"))
    moved_top = heading_top(pdf) if r.returncode == 0 else None
    check(default_top is not None and default_top < 80, f"default heading at {default_top}")
    check(moved_top is not None and 270 < moved_top < 300,
          f"heading with a 100 mm top margin at {moved_top}: {r.stderr.strip()}")

    # A sheet longer than a page: every page says how many there are.
    long_sheet = os.path.join(tmp, "long.txt")
    with open(long_sheet, "w") as f:
        for i in range(300):
            f.write(f"o 1 v{i}:={i}*2\n")
    pdf = os.path.join(tmp, "long.pdf")
    r = run([runner, "--pdf", pdf, long_sheet], env)
    check(r.returncode == 0, f"long: exit status {r.returncode}: {r.stderr.strip()}")
    if os.path.exists(pdf):
        pages, text = pdf_text(pdf)
        check(pages > 1, f"long: {pages} pages, more than one expected")
        check(f"Page: {pages} of {pages}" in text, f"long: no 'Page: {pages} of {pages}'")
        check("598" in text, "long: the last value 598 is not printed")

    # An output path that cannot be written: status 2 and a message, no crash.
    bad = os.path.join(tmp, "no such folder", "out.pdf")
    r = run([runner, "--pdf", bad, sheet], env)
    check(r.returncode == 2, f"unwritable: exit status {r.returncode}, 2 expected")
    check("PDF" in r.stderr and "no such folder" in r.stderr,
          f"unwritable: unclear message: {r.stderr.strip()}")

    # Print options without --pdf are refused.
    r = run([runner, "--print-view", "source", sheet], env)
    check(r.returncode == 2 and "--pdf" in r.stderr, "print option without --pdf accepted")

if failures:
    print(f"{len(failures)} failure(s)")
    sys.exit(1)
print("print_pdf: all passed")
