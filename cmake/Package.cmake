# The Debian package, made by `cpack -G DEB` in a build configured with the prefix /usr (see
# scripts/package). Library dependencies are found by dpkg-shlibdeps; Ghostscript is named.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellarine)
set(CPACK_PACKAGE_VENDOR Marrowind)
set(CPACK_PACKAGE_CONTACT "Marrowind <support@marrowind.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch converter of EPS files into PDF documents")
set(CPACK_PACKAGE_DESCRIPTION
  "Pellarine converts Encapsulated PostScript (EPS) files into PDF documents,\n"
  "many at a time. Collect the files in the job list (with the file dialog,\n"
  "from a whole folder tree by extension, by drag-and-drop, or with Open With\n"
  "in the file manager), choose where the results go and a quality, and\n"
  "start: each file is rasterised by Ghostscript and saved as a PDF of the\n"
  "same name.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.marrowind.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS ghostscript)
# The window is laid out in Arial's measures; Liberation Sans has the same.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
include(CPack)
