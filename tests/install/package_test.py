#!/usr/bin/env python3
"""Builds the Debian package from this build tree with cpack into a scratch folder and checks it.

The package is made afresh, so a stale file cannot pass. Checked: the control fields (name,
version, architecture, the libraries named in Depends), every file the desktop needs in its
place under /usr, stripped programs, compressed manual pages, and nothing that belongs to
another package (the caches that shared-mime-info, desktop-file-utils and the icon theme
build with their own triggers). Exit 77 (skipped) when cpack or dpkg-dev is missing.
"""
import argparse
import gzip
import os
import re
import shutil
import sys
import tempfile

from checks import check, failures, run

failures = []

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
PROGRAMS = ("mondrel", "mondrel-run", "mondrel-vbs")
# The library packages the programs must depend on, each a regular expression on Depends.
DEPENDS = (r"libqt6core6", r"libqt6gui6", r"libqt6widgets6", r"libqt6svg6",
           r"libqt6printsupport6", r"libpugixml1v5", r"libpcre2-8-0", r"libstdc\+\+6")


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def expected_files(with_pngs):
    files = ["usr/bin/" + p for p in PROGRAMS]
    files += ["usr/share/man/man1/%s.1.gz" % p for p in PROGRAMS]
    files += ["usr/share/applications/mondrel.desktop",
              "usr/share/mime/packages/mondrel-mime.xml",
              "usr/share/doc/mondrel/copyright",
              "usr/share/doc/mondrel/changelog.gz",
              "usr/share/icons/hicolor/scalable/apps/mondrel.svg",
              "usr/share/icons/hicolor/scalable/mimetypes/application-x-mondrel-codesheet.svg"]
    if with_pngs:
        for size in ICON_SIZES:
            base = "usr/share/icons/hicolor/%dx%d/" % (size, size)
            files += [base + "apps/mondrel.png",
                      base + "mimetypes/application-x-mondrel-codesheet.png"]
    return files


def control_fields(info):
    """The fields of `dpkg-deb --field`: one "Name: value" a line, continuations indented."""
    fields, last = {}, None
    for line in info.splitlines():
        if line[:1] in (" ", "\t") and last:
            fields[last] += "\n" + line.strip()
        elif ":" in line:
            last, value = line.split(":", 1)
            fields[last] = value.strip()
    return fields


def is_stripped(path):
    r = run(["readelf", "-S", "-W", path])
    if r.returncode != 0:
        return False
    return ".symtab" not in r.stdout and ".debug_info" not in r.stdout


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--version", required=True)
    ap.add_argument("--pngs", default="0")
    args = ap.parse_args()

    missing = [t for t in ("cpack", "dpkg-deb", "dpkg-shlibdeps", "readelf") if not shutil.which(t)]
    if missing:
        print("SKIPPED: %s not installed (cmake, dpkg-dev, binutils)" % ", ".join(missing))
        return 77
    arch = run(["dpkg", "--print-architecture"]).stdout.strip()

    scratch = tempfile.mkdtemp(prefix="mondrel-package-")
    try:
        env = dict(os.environ)
        env.pop("DESTDIR", None)
        r = run(["cpack", "-G", "DEB", "--config", os.path.join(args.build, "CPackConfig.cmake"),
                 "-B", scratch], env=env)
        check(r.returncode == 0, "cpack failed:\n" + r.stdout[-3000:] + r.stderr[-3000:])
        deb = os.path.join(scratch, "mondrel_%s_%s.deb" % (args.version, arch))
        check(os.path.isfile(deb), "cpack made no %s: %s" % (os.path.basename(deb),
                                                             os.listdir(scratch)))
        if not os.path.isfile(deb):
            return 1

        r = run(["dpkg-deb", "--field", deb])
        check(r.returncode == 0, "dpkg-deb --field: " + r.stderr)
        fields = control_fields(r.stdout)
        for name, value in (("Package", "mondrel"), ("Version", args.version),
                            ("Architecture", arch), ("Section", "math"),
                            ("Priority", "optional")):
            check(fields.get(name) == value, "control %s is %r, expected %r"
                  % (name, fields.get(name), value))
        check(fields.get("Maintainer", "").strip() != "", "control has no Maintainer")
        description = fields.get("Description", "")
        check("\n" in description and description.split("\n")[0].strip() != "",
              "control Description lacks a summary or a long text: %r" % description)
        depends = fields.get("Depends", "")
        for lib in DEPENDS:
            check(re.search(r"(^|[ ,])" + lib + r"( |,|$)", depends) is not None,
                  "Depends does not name %s: %s" % (lib, depends))

        r = run(["dpkg-deb", "--contents", deb])
        check(r.returncode == 0, "dpkg-deb --contents: " + r.stderr)
        listed = set()
        for line in r.stdout.splitlines():
            path = line.split()[-1] if line.split() else ""
            if " -> " in line:  # a symbolic link: "path -> target"
                path = line.split(" -> ")[0].split()[-1]
            listed.add(path.lstrip(".").lstrip("/").rstrip("/"))
        for f in expected_files(args.pngs == "1"):
            check(f in listed, "package lacks /" + f)
        check(any(p.startswith("usr/share/doc/mondrel/examples/") and p.endswith(".mdr")
                  for p in listed), "package lacks the example sheets")
        outside = sorted(p for p in listed if p and not p.startswith("usr"))
        check(not outside, "package installs outside /usr: %s" % outside[:5])
        check(not any(p.startswith("usr/local") for p in listed), "package installs under /usr/local")
        # The type database, desktop database and icon cache are other packages' files.
        foreign = sorted(p for p in listed
                         if (p.startswith("usr/share/mime/") and not p.startswith("usr/share/mime/packages"))
                         or p.endswith("mimeinfo.cache") or p.endswith("icon-theme.cache"))
        check(not foreign, "package holds generated caches: %s" % foreign[:5])

        unpacked = os.path.join(scratch, "root")
        r = run(["dpkg-deb", "-x", deb, unpacked])
        check(r.returncode == 0, "dpkg-deb -x: " + r.stderr)
        for p in PROGRAMS:
            exe = os.path.join(unpacked, "usr", "bin", p)
            if os.path.isfile(exe):
                check(os.access(exe, os.X_OK), "/usr/bin/%s is not executable" % p)
                check(is_stripped(exe), "/usr/bin/%s is not stripped" % p)
            page = os.path.join(unpacked, "usr", "share", "man", "man1", p + ".1.gz")
            if os.path.isfile(page):
                with open(page, "rb") as f:
                    check(f.read(2) == b"\x1f\x8b", "%s.1.gz is not gzip" % p)
        changelog = os.path.join(unpacked, "usr", "share", "doc", "mondrel", "changelog.gz")
        if os.path.isfile(changelog):
            with gzip.open(changelog, "rt", encoding="utf-8") as f:
                top = f.readline()
            check(top.startswith("mondrel (%s) " % args.version),
                  "the newest change-log entry is not version %s: %r" % (args.version, top))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)

    print("package: %d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
