# ---- Installation (cmake --install, and the Debian package) ------------------------------------
# Programs in bin/, the bundled atlas, geocoder and world files and their credits in
# share/orlavine/ (where the programs look first, relative to themselves), the man pages, the
# changelog and the data's licences in share/doc/orlavine/, and for the desktop program a menu
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
# The man pages (in French, the only ones: in man1 so that every locale finds them) and the
# changelog, compressed at build time as Debian wants them.
find_program(GZIP gzip REQUIRED)
set(ORLAVINE_COMPRESSES)
foreach(fichier orlavine.1 orlavine-cli.1 changelog)
  set(sortie ${CMAKE_BINARY_DIR}/installation/${fichier}.gz)
  add_custom_command(OUTPUT ${sortie}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/installation
    COMMAND ${GZIP} -9n -c ${CMAKE_CURRENT_LIST_DIR}/${fichier} > ${sortie}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${fichier})
  list(APPEND ORLAVINE_COMPRESSES ${sortie})
endforeach()
add_custom_target(orlavine_compresses ALL DEPENDS ${ORLAVINE_COMPRESSES})
install(FILES ${CMAKE_BINARY_DIR}/installation/orlavine-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/installation/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orlavine)
if(TARGET orlavine)
  install(TARGETS orlavine RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/orlavine.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/orlavine.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/orlavine-gedcom.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${CMAKE_BINARY_DIR}/installation/orlavine.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
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
