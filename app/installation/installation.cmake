# ---- Installation (cmake --install) ------------------------------------------------------------
# Programs in bin/, the bundled atlas and its credits in share/orlavine/ (where the programs look
# first, relative to themselves), and for the desktop program a menu entry, its icon and the
# GEDCOM file type it opens.
include(GNUInstallDirs)
install(TARGETS orlavine-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${ORLAVINE_DATA_DIR}/atlas DESTINATION ${CMAKE_INSTALL_DATADIR}/orlavine)
install(FILES ${ORLAVINE_DATA_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/orlavine)
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
