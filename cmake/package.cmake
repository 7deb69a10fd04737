# The Debian package (scripts/package): CPack's DEB generator over the install rules, with the
# shared libraries' packages found by dpkg-shlibdeps. What dpkg-shlibdeps cannot see is named
# here: the Qt platform plugin the editor needs to open a window, and the fonts the exports
# embed and the views draw with.
option(VELLARY_DEBIAN_PACKAGE "Install the files a Debian package carries besides the program" OFF)
set(VELLARY_MAINTAINER "Vellary Dev <dev@vellary.invalid>")

install(FILES ${CMAKE_SOURCE_DIR}/data/copyright DESTINATION share/doc/vellary)
if(VELLARY_DEBIAN_PACKAGE)
  set(changelog ${CMAKE_BINARY_DIR}/debian/changelog.Debian)
  string(REPLACE "-" ";" date_parts ${VELLARY_RELEASE_DATE})
  list(GET date_parts 0 year)
  list(GET date_parts 1 month)
  list(GET date_parts 2 day)
  set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR month_index "${month} - 1")
  list(GET month_names ${month_index} month_name)
  file(WRITE ${changelog}
    "vellary (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
    "  * Release ${PROJECT_VERSION}.\n\n"
    " -- ${VELLARY_MAINTAINER}  ${day} ${month_name} ${year} 00:00:00 +0000\n")
  add_custom_command(OUTPUT ${changelog}.gz
    COMMAND ${GZIP_PROGRAM} -9n -c ${changelog} > ${changelog}.gz
    DEPENDS ${changelog} VERBATIM)
  add_custom_target(vellary_debian_changelog ALL DEPENDS ${changelog}.gz)
  install(FILES ${changelog}.gz DESTINATION share/doc/vellary)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellary)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for checking and correcting Japanese OCR results")
# Lines of the long description stay under 80 characters, as Debian's tools show them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Vellary shows each page image beside its recognised text, in horizontal or\n"
  "vertical writing, and lets a proofreader correct characters from the\n"
  "recogniser's candidates or by typing, set ruby, emphasis and tate-chu-yoko,\n"
  "give blocks their roles and reading order, find and replace, and step\n"
  "through doubtful characters. Documents are saved as RovOrirUD files or\n"
  "exported as text, PDF, Word, PowerPoint, XPS, PAGE XML, ALTO and hOCR.\n"
  "vellary-cli converts, re-composes, exports and recognises documents from a\n"
  "terminal.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELLARY_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found from the private library folder too (liboxmlgen.so is loaded, not linked).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib/vellary)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-mincho, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, xdg-utils, tesseract-ocr-jpn, tesseract-ocr-jpn-vert, poppler-data")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
