# Install rules and desktop integration: `cmake --install build --prefix P` gives a working
# program under any prefix P.
#
# The installed layout keeps the application folder whole, as build/ has it: the program with
# pellarine-batch, ps/, Samples/, HAND-M.CUR and drag.ico beside it, in lib/pellarine, and
# bin/pellarine a relative link to the program. The program finds its folder from the resolved
# path of its executable, so the build tree and every prefix work alike with no search paths.
include(GNUInstallDirs)

set(PELLARINE_INSTALL_APPDIR lib/pellarine CACHE STRING
    "The application folder, relative to the installation prefix")
set(PELLARINE_ID example.marrowind.Pellarine)

install(TARGETS pellarine pellarine-batch RUNTIME DESTINATION ${PELLARINE_INSTALL_APPDIR})
install(DIRECTORY resources/data/ DESTINATION ${PELLARINE_INSTALL_APPDIR} USE_SOURCE_PERMISSIONS)

file(RELATIVE_PATH program_from_bin /${CMAKE_INSTALL_BINDIR} /${PELLARINE_INSTALL_APPDIR}/pellarine)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ${program_from_bin} ${CMAKE_BINARY_DIR}/packaging/pellarine SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/pellarine DESTINATION ${CMAKE_INSTALL_BINDIR})

# The menu entry, its icon in every size of the icon theme, the software-centre description.
install(FILES packaging/${PELLARINE_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${PELLARINE_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/icons/pellarine.svg RENAME ${PELLARINE_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES resources/icons/pellarine-${size}.png RENAME ${PELLARINE_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The manual page and the Debian change log are installed compressed, as Debian wants them;
# gzip -n leaves out name and time, so the same text gives the same bytes.
set(compressed)
foreach(doc pellarine.1 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${doc}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/${doc} ${CMAKE_BINARY_DIR}/packaging/${doc}
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/${doc}
    DEPENDS packaging/${doc} VERBATIM)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/packaging/${doc}.gz)
endforeach()
add_custom_target(pellarine_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/pellarine.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/pellarine)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz RENAME changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/pellarine)
install(FILES packaging/lintian-overrides RENAME pellarine
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides)

# The validators of the desktop entry and the metainfo, and the check that the committed icons
# are what the SVG gives. desktop-file-validate prints nothing for a clean file, so any output
# (a hint included) fails.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
find_program(PYTHON3 python3)
add_test(NAME desktop_entry_valid
         COMMAND ${DESKTOP_FILE_VALIDATE} ${CMAKE_SOURCE_DIR}/packaging/${PELLARINE_ID}.desktop)
set_tests_properties(desktop_entry_valid PROPERTIES FAIL_REGULAR_EXPRESSION ".")
add_test(NAME metainfo_valid COMMAND ${APPSTREAMCLI} validate --no-net
         ${CMAKE_SOURCE_DIR}/packaging/${PELLARINE_ID}.metainfo.xml)
add_test(NAME icons_match_source
         COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/resources/tools/make_icons.py --check)

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
