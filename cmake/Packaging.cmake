# The Debian packages of the reader: `cpack -G DEB` in the build folder (./run package), one package per
# install component:
#   velmoranote       (component reader) the programs, manual pages, menu entry, icons, metainfo
#   velmoranote-demo  (component demo)   the 75 MB demo library, architecture-independent
# Each has its copyright file and changelog under /usr/share/doc, as Debian asks. The reader's
# dependencies come from the installed programs (dpkg-shlibdeps), plus the pieces Qt loads at run time
# that no library names: the web view's helper process, the fonts the notes are written in, and the
# desktop's opener of PDF volumes and the manual.
set(VELMORA_MAINTAINER "The Velmora developers <maintainers@velmora.org>")

# Compressed as Debian wants: maximum compression, no name or time stamp in the gzip header.
find_program(VELMORA_GZIP gzip REQUIRED)
set(VELMORA_PACKAGING_DIR ${PROJECT_BINARY_DIR}/packaging)
set(VELMORA_PACKAGED_DOCS)
foreach(doc man/velmoranote.1 man/velmora-notes.1 packaging/changelog)
  get_filename_component(name ${doc} NAME)
  add_custom_command(OUTPUT ${VELMORA_PACKAGING_DIR}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMORA_PACKAGING_DIR}
    COMMAND ${VELMORA_GZIP} -9nc ${PROJECT_SOURCE_DIR}/${doc} > ${VELMORA_PACKAGING_DIR}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/${doc} VERBATIM)
  list(APPEND VELMORA_PACKAGED_DOCS ${VELMORA_PACKAGING_DIR}/${name}.gz)
endforeach()
add_custom_target(velmora-packaged-docs ALL DEPENDS ${VELMORA_PACKAGED_DOCS})

install(FILES ${VELMORA_PACKAGING_DIR}/velmoranote.1.gz ${VELMORA_PACKAGING_DIR}/velmora-notes.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT reader)
foreach(component reader demo)
  set(package velmoranote)
  if(component STREQUAL demo)
    set(package velmoranote-demo)
  endif()
  install(FILES packaging/copyright ${VELMORA_PACKAGING_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL reader demo)
set(CPACK_PACKAGE_NAME velmoranote)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT ${VELMORA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMORA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://velmora.org/velmoranote)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_READER_PACKAGE_NAME velmoranote)
set(CPACK_DEBIAN_READER_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_READER_PACKAGE_DEPENDS "libqt6webenginecore6-bin, fonts-noto-cjk, xdg-utils")
# The demo library (a reader started from the menu with no library opens it); the toolkit's own dialog
# buttons in Chinese.
set(CPACK_DEBIAN_READER_PACKAGE_RECOMMENDS "velmoranote-demo, qt6-translations-l10n")
set(CPACK_DEBIAN_READER_DESCRIPTION
"reader for a teacher's collected study notes
Browse four notebooks of study notes (澄溪導師筆記), read an entry while its
scanned page scrolls to it, search as you type, and browse the scans and PDF
volumes of a notes library. Includes velmora-notes, which checks notes files
the way the reader reads them.")

set(CPACK_DEBIAN_DEMO_PACKAGE_NAME velmoranote-demo)
set(CPACK_DEBIAN_DEMO_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DEMO_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DEMO_PACKAGE_ENHANCES velmoranote)
set(CPACK_DEBIAN_DEMO_DESCRIPTION
"demo library for the velmoranote study-notes reader
Four notebooks of sample study notes on the classics with their page scans,
PDF volumes and manual, laid out as a velmoranote library. The reader opens
it when it is started without a library of its own.")
include(CPack)
