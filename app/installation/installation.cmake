# ---- Installation (cmake --install, and the Debian package) ------------------------------------
# Programs in bin/, the bundled atlas, geocoder and world files and their credits in
# share/orlavine/ (where the programs look first, relative to themselves), the man page of
# orlavine-cli, the data's licences in share/doc/orlavine/, and for the desktop program a menu
# entry, its icon and the GEDCOM file type it opens.
include(GNUInstallDirs)
install(TARGETS orlavine-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${ORLAVINE_DATA_DIR}/atlas DESTINATION ${CMAKE_INSTALL_DATADIR}/orlavine)
install(DIRECTORY ${ORLAVINE_DATA_DIR}/geocodeur ${ORLAVINE_DATA_DIR}/monde
        DESTINATION ${CMAKE_INSTALL_DATADIR}/orlavine)
install(FILES ${ORLAVINE_DATA_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/orlavine)
# Licences: a Debian copyright file, the full CC BY 4.0 text, the data's own README.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_CURRENT_LIST_DIR}/licences/CC-BY-4.0.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orlavine)
install(FILES ${ORLAVINE_DATA_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orlavine
        RENAME README-donnees.md)
# The man page (in French, the only one: in man1 so that every locale finds it), compressed at
# build time as Debian wants it.
find_program(GZIP gzip REQUIRED)
set(ORLAVINE_PAGE_MAN ${CMAKE_BINARY_DIR}/man/orlavine-cli.1.gz)
add_custom_command(OUTPUT ${ORLAVINE_PAGE_MAN}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND ${GZIP} -9n -c ${CMAKE_CURRENT_LIST_DIR}/orlavine-cli.1 > ${ORLAVINE_PAGE_MAN}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/orlavine-cli.1)
add_custom_target(orlavine_page_man ALL DEPENDS ${ORLAVINE_PAGE_MAN})
install(FILES ${ORLAVINE_PAGE_MAN} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET orlavine)
  install(TARGETS orlavine RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/orlavine.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/orlavine.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/orlavine-gedcom.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  # Installed straight onto a system (no DESTDIR, as a package would use): refresh the MIME
  # database so that .ged files open with the program at once.
  install(CODE "
    if(NOT DEFINED ENV{DESTDIR} OR \"\$ENV{DESTDIR}\" STREQUAL \"\")
      find_program(UPDATE_MIME update-mime-database)
      if(UPDATE_MIME)
        execute_process(COMMAND \${UPDATE_MIME} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime\"
                        RESULT_VARIABLE resultat OUTPUT_QUIET ERROR_QUIET)
      endif()
    endif()")
endif()
