# The Debian package (`make package`, or cpack in any build tree). What goes into it is what
# `cmake --install` installs (data/CMakeLists.txt); nothing here names a file.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mondrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Mondrel maintainers <maintainers@users.noreply.c-seed-7afb7450.example>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator spreadsheet whose lines are VBScript")
# The summary above is the first line of the control file's description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Mondrel's documents, codesheets, are trees of lines rather than grids of
cells. Each line is an expression, comment, assignment, condition, loop,
include, folder listing or command written in VBScript; running the sheet
walks the lines and shows their values in data columns beside them, with
stepping, breakpoints and an automatic re-run after every change.

The package holds the desktop program (mondrel), a runner that prints,
checks, converts, paints and prints sheets without a window (mondrel-run)
and a console VBScript interpreter built on the same engine (mondrel-vbs).")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # mondrel_<version>_amd64.deb
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Staged through DESTDIR, so the install step leaves the desktop caches to the package manager.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the programs link (Qt 6, pugixml, PCRE2, the C++ run-time) are found by
# dpkg-shlibdeps. The plugins Qt loads at run time need nothing more on Debian 12: the xcb
# platform plugin ships in libqt6gui6 and the SVG icon engine and image format in libqt6svg6,
# both named through the libraries. The fonts the sheet formats ask for by name (Arial,
# Courier New, Tahoma) are matched best by Liberation.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-dejavu-core")
# shared-mime-info, desktop-file-utils and hicolor-icon-theme watch their folders with dpkg
# triggers and update their caches themselves: the package needs no maintainer scripts.
include(CPack)
