# The Debian package of the reader: `cpack -G DEB` in the build folder (./run package).
# Its dependencies come from the installed program itself (dpkg-shlibdeps), plus the pieces Qt loads
# at run time that no library names: the web view's helper process (libqt6webenginecore6-bin), the
# fonts the notes are written in, and the opener of PDF volumes and the manual.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmoranote)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "The Velmora developers <velmora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reader for a teacher's collected study notes (澄溪導師筆記)")
set(CPACK_PACKAGE_DESCRIPTION
    "Browse four notebooks of study notes, read an entry while its scanned page scrolls to it, search as you type, and browse the scans and PDF volumes. Comes with a demo library.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginecore6-bin, fonts-noto-cjk, xdg-utils")
# The toolkit's own dialog buttons in Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
