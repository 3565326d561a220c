#!/usr/bin/env python3
"""Installs the build into a scratch prefix and checks the desktop integration there.

Every file must land in its XDG place; the launcher and the file type are checked by the
desktop's own tools when they are installed (desktop-file-validate, xmllint,
update-mime-database), and the installed runner must work away from the build tree.
"""
import argparse
import os
import shutil
import struct
import sys
import tempfile

from checks import check, failures, run


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def desktop_entry(path):
    entry = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if "=" in line and not line.startswith("#"):
                key, value = line.split("=", 1)
                entry[key] = value
    return entry


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--source", required=True)
    ap.add_argument("--programs", default="")
    ap.add_argument("--pngs", default="0")
    args = ap.parse_args()
    programs = [p for p in args.programs.split(",") if p]

    prefix = tempfile.mkdtemp(prefix="mondrel-install-")
    try:
        env = dict(os.environ)
        env.pop("DESTDIR", None)
        r = run(["cmake", "--install", args.build, "--prefix", prefix], env=env)
        check(r.returncode == 0, "cmake --install failed:\n" + r.stdout + r.stderr)
        if r.returncode != 0:
            return 1
        share = os.path.join(prefix, "share")

        check("mondrel-run" in programs, "mondrel-run is not among the built programs")
        for p in programs:
            exe = os.path.join(prefix, "bin", p)
            check(os.path.isfile(exe) and os.access(exe, os.X_OK), "bin/%s not installed" % p)

        desktop = os.path.join(share, "applications", "mondrel.desktop")
        check(os.path.isfile(desktop), "share/applications/mondrel.desktop missing")
        if os.path.isfile(desktop):
            e = desktop_entry(desktop)
            expected = {"Type": "Application", "Name": "Mondrel", "GenericName": "Calculator sheet",
                        "Exec": "mondrel %f", "Icon": "mondrel",
                        "MimeType": "application/x-mondrel-codesheet;"}
            for key, value in expected.items():
                check(e.get(key) == value, "desktop entry %s=%r, expected %r" % (key, e.get(key), value))
            check(set(e.get("Categories", "").split(";")) >= {"Office", "Utility"},
                  "desktop entry categories lack Office or Utility")
            if shutil.which("desktop-file-validate"):
                v = run(["desktop-file-validate", desktop])
                errors = [l for l in (v.stdout + v.stderr).splitlines() if "error:" in l]
                check(v.returncode == 0 and not errors, "desktop-file-validate: " + v.stdout + v.stderr)

        mime = os.path.join(share, "mime", "packages", "mondrel-mime.xml")
        check(os.path.isfile(mime), "share/mime/packages/mondrel-mime.xml missing")
        if os.path.isfile(mime) and shutil.which("xmllint"):
            v = run(["xmllint", "--noout", mime])
            check(v.returncode == 0, "xmllint mondrel-mime.xml: " + v.stderr)
        # The install ran update-mime-database on the prefix when it exists: the type must then
        # be known, with its glob, comment and parent type.
        if os.path.isfile(mime) and shutil.which("update-mime-database"):
            known = os.path.join(share, "mime", "application", "x-mondrel-codesheet.xml")
            check(os.path.isfile(known), "update-mime-database did not register the type")
            if os.path.isfile(known):
                text = open(known, encoding="utf-8").read()
                check("Mondrel codesheet" in text, "type comment missing")
            globs = open(os.path.join(share, "mime", "globs2"), encoding="utf-8").read()
            check(":application/x-mondrel-codesheet:*.mdr" in globs, "*.mdr glob not registered")
            subclasses = open(os.path.join(share, "mime", "subclasses"), encoding="utf-8").read()
            check("application/x-mondrel-codesheet application/xml" in subclasses,
                  "not a sub-class of application/xml")
            xml_ns = open(os.path.join(share, "mime", "XMLnamespaces"), encoding="utf-8").read()
            check(" mondrel application/x-mondrel-codesheet" in xml_ns, "root element not registered")

        icons = os.path.join(share, "icons", "hicolor")
        for rel in ("scalable/apps/mondrel.svg",
                    "scalable/mimetypes/application-x-mondrel-codesheet.svg"):
            path = os.path.join(icons, rel)
            check(os.path.isfile(path), "icon %s missing" % rel)
            if os.path.isfile(path) and shutil.which("xmllint"):
                check(run(["xmllint", "--noout", path]).returncode == 0, "%s is not well-formed" % rel)
        if args.pngs == "1":
            for size in (16, 22, 24, 32, 48, 64, 128, 256):
                for rel in ("apps/mondrel.png", "mimetypes/application-x-mondrel-codesheet.png"):
                    path = os.path.join(icons, "%dx%d" % (size, size), rel)
                    check(os.path.isfile(path) and png_size(path) == (size, size),
                          "%dx%d/%s missing or of the wrong size" % (size, size, rel))

        # The installed runner stands on its own, away from the build tree.
        runner = os.path.join(prefix, "bin", "mondrel-run")
        example = os.path.join(args.source, "examples", "loan_table.mdr")
        if os.path.isfile(runner) and os.path.isfile(example):
            r = run([runner, example], cwd=prefix)
            check(r.returncode == 0 and r.stdout.strip() != "", "installed mondrel-run failed: " + r.stderr)
    finally:
        shutil.rmtree(prefix, ignore_errors=True)

    checked = "install: %d failed" % len(failures)
    print(checked)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
