#!/usr/bin/env python3
"""Holds each program's --help, --version and usage errors against its manual page.

For every program of the table: --help exits 0 and prints to standard output only; every
option it lists is described in the OPTIONS section of the manual page and every option
described there is listed by --help; --version prints "<program> <version>"; an unknown
option exits 2 with the usage on standard error; the page renders without a groff warning.
Exit 77 (skipped) when groff is missing and everything else passed.
"""
import argparse
import os
import re
import shutil
import sys

from checks import check, failures, run

# program, the word its usage text starts with (case-insensitive)
PROGRAMS = [
    ("mondrel", "usage:"),
    ("mondrel-run", "usage:"),
    ("mondrel-vbs", "usage:"),
]

# An option is a dash or two followed by a letter, not inside a word ("run-time", "a-b").
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][\w-]*)")


def run_program(cmd):
    return run(cmd, timeout=60, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))


def options_in_help(text):
    return set(OPTION.findall(text))


def plain_troff(line):
    """A man-macro line as it reads: escapes for dashes and fonts gone, quotes dropped."""
    line = line.replace("\\-", "-").replace("\\&", "")
    line = re.sub(r"\\f(\[[^]]*\]|\(..|.)", "", line)
    return line.replace('"', " ")


def options_in_manual(path):
    """The options named in the tags (the line after .TP) of the OPTIONS section."""
    found, in_options, tag_next = set(), False, False
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith(".SH"):
                in_options = line.split(None, 1)[1:] == ["OPTIONS"]
                continue
            if not in_options:
                continue
            if line.startswith(".TP"):
                tag_next = True
            elif tag_next:
                tag_next = False
                tag = re.sub(r"^\.(B|I|BI|IB|BR|RB|IR|RI)\s", " ", plain_troff(line))
                found |= set(OPTION.findall(tag))
    return found


def check_program(build, man_dir, version, program, usage_word):
    exe = os.path.join(build, program)
    page = os.path.join(man_dir, program + ".1")
    if not os.path.isfile(exe):
        check(False, "%s was not built" % program)
        return
    check(os.path.isfile(page), "%s: manual page %s missing" % (program, page))

    r = run_program([exe, "--help"])
    check(r.returncode == 0, "%s --help exits %d" % (program, r.returncode))
    check(r.stdout.lower().startswith(usage_word), "%s --help does not start with the usage" % program)
    check(r.stderr == "", "%s --help writes to standard error: %r" % (program, r.stderr))
    help_options = options_in_help(r.stdout)
    check({"--help", "--version"} <= help_options, "%s --help lacks --help or --version" % program)

    if os.path.isfile(page):
        man_options = options_in_manual(page)
        for o in sorted(help_options - man_options):
            check(False, "%s: %s is in --help but not in the manual's OPTIONS" % (program, o))
        for o in sorted(man_options - help_options):
            check(False, "%s: %s is in the manual's OPTIONS but not in --help" % (program, o))

    r = run_program([exe, "--version"])
    check(r.returncode == 0 and r.stdout == "%s %s\n" % (program, version),
          "%s --version printed %r (exit %d), expected %r"
          % (program, r.stdout, r.returncode, "%s %s\n" % (program, version)))

    r = run_program([exe, "--no-such-option"])
    check(r.returncode == 2, "%s --no-such-option exits %d, expected 2" % (program, r.returncode))
    check(r.stdout == "", "%s --no-such-option writes to standard output" % program)
    check("--no-such-option" in r.stderr and usage_word in r.stderr.lower(),
          "%s --no-such-option: the option and the usage are not on standard error: %r"
          % (program, r.stderr[:200]))


def check_rendering(man_dir, program):
    """groff's warnings (-ww) on the page, and its text must come out."""
    page = os.path.join(man_dir, program + ".1")
    if not os.path.isfile(page):
        return
    r = run(["groff", "-man", "-ww", "-z", page], timeout=60)
    check(r.returncode == 0 and r.stderr == "", "%s.1 renders with warnings: %s" % (program, r.stderr))
    r = run(["groff", "-man", "-Tutf8", "-P-cbou", page], timeout=60)
    for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "EXAMPLES",
                    "SEE ALSO"):
        check(re.search(r"^\W*" + section + r"\W*$", r.stdout, re.M) is not None,
              "%s.1 has no %s section" % (program, section))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True, help="the folder of the built programs")
    ap.add_argument("--man-dir", required=True, help="the folder of the built manual pages")
    ap.add_argument("--version", required=True)
    ap.add_argument("--programs", required=True, help="the programs built, joined by commas")
    args = ap.parse_args()
    built = set(args.programs.split(","))
    programs = [(p, u) for p, u in PROGRAMS if p in built]
    check(len(programs) == len(built) and programs, "unknown or no programs: " + args.programs)

    for program, usage_word in programs:
        check_program(args.build, args.man_dir, args.version, program, usage_word)
    groff = shutil.which("groff") is not None
    if groff:
        for program, _ in programs:
            check_rendering(args.man_dir, program)

    print("manual pages: %d failed" % len(failures))
    if failures:
        return 1
    if not groff:
        print("SKIPPED: groff is not installed (groff-base): the pages' rendering was not checked")
        return 77
    return 0


if __name__ == "__main__":
    sys.exit(main())
