# The Debian package, built by CPack's DEB generator from the install rules
# (scripts/package). Its dependencies are found by dpkg-shlibdeps.
include_guard(GLOBAL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME alcove)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ALCOVE_MANTENEDOR}")
set(CPACK_PACKAGE_VENDOR "The Alcove developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for Amstrad CPC disk images")
set(CPACK_PACKAGE_DESCRIPTION
    "Alcove looks into the disk images of the Amstrad CPC: the .dsk files of the
standard and extended CPCEMU layouts. Its window, in Spanish and dressed like
the CPC's own screen, shows two images side by side with the files in each
catalogue, their sizes and types, and the image's layout and creator.")
if(TARGET alcove-cli)
  string(APPEND CPACK_PACKAGE_DESCRIPTION "
.
The alcove-cli command lists, extracts and searches files across whole
collections of images from the shell.")
endif()
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ALCOVE_MANTENEDOR}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded when first used, so dpkg-shlibdeps cannot see them (src/platform).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libnettle8, libpng16-16")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The window's Courier New is drawn with Liberation Mono, which has its metrics.
# Qt's own dialogs (the file choosers) speak Spanish with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-translations-l10n")

include(CPack)
