# The Debian package, made by CPack from the install rules (`scripts/dev package`).
# Library dependencies are found by dpkg-shlibdeps; what the programs load or run
# without linking it is named here.

set(BREVANOR_PACKAGE_MAINTAINER "The Brevanor developers" CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brevanor)
set(CPACK_PACKAGE_VENDOR "The Brevanor developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "record mouse and keyboard input and play it back")
set(CPACK_PACKAGE_DESCRIPTION
    "Brevanor is a macro recorder that lives in the tray. A global shortcut
starts a recording of every mouse and keyboard event of the session;
recordings are kept in a library and replay as synthetic input at a chosen
speed, a chosen number of times, with the cursor where it was or mapped onto
the current screens.
.
brevanor-cli records, replays and manages the same library from a terminal.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BREVANOR_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its X11 platform plugin and the SVG icon plugins (in libqt6svg6) at run time; a bare
# system has neither. The .macro type needs the shared MIME database.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, shared-mime-info")
# RealtimeKit gives playback a real-time priority for an ordinary user; the demo
# runs a private X server and drives it with xdotool.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "rtkit, desktop-file-utils, xvfb, xauth, xdotool")
# The desktop database, the MIME cache and the icon cache are refreshed by the
# file triggers of desktop-file-utils, shared-mime-info and the icon theme
# tools, which fire for the files this package puts in their folders.
set(CPACK_STRIP_FILES TRUE)

include(CPack)
