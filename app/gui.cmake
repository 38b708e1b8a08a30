# ---- Map picture of orlavine-cli (map view) --------------------------------------------------
# `orlavine-cli carte TEXTE --sortie FICHIER ...` draws the map off screen with the map view;
# `base geolocaliser --en-ligne` sends its requests through Qt Network; `base carte` draws the
# tree map with the tree map window's own function.
if(TARGET orlavine_mapview)
  target_sources(orlavine-cli PRIVATE ${CMAKE_CURRENT_LIST_DIR}/cli/carte.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/cli/carte_arbre.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/cli/en_ligne_qt.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/messages_qt.cpp)
  target_link_libraries(orlavine-cli PRIVATE orlavine_mapview orlavine_search orlavine_geoloc_ihm)
  target_compile_definitions(orlavine-cli PRIVATE ORLAVINE_AVEC_CARTE
    ORLAVINE_MONDE_DEFAUT="${ORLAVINE_DATA_DIR}/monde/monde.bin")
endif()
# ---- end of the map picture part ---------------------------------------------------------------

# ---- Desktop program (main window) -------------------------------------------------------------
# `orlavine [TEXTE]`: the main window on the communes page with the bundled atlas;
# `orlavine --capture FICHIER.png [TEXTE]` saves a picture of the window and quits;
# `orlavine --base BASE.sqlite --lieu ID` opens the world map page on a place of the base;
# `orlavine --base BASE.sqlite --carte-arbre` the map of the whole tree.
if(TARGET orlavine_search)
  add_executable(orlavine
    ${CMAKE_CURRENT_LIST_DIR}/desktop/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/messages_qt.cpp
    ${CMAKE_CURRENT_LIST_DIR}/desktop/a_propos.cpp
    ${CMAKE_CURRENT_LIST_DIR}/desktop/a_propos.h
    ${CMAKE_CURRENT_LIST_DIR}/desktop/base_bureau.cpp
    ${CMAKE_CURRENT_LIST_DIR}/desktop/base_bureau.h
    ${CMAKE_CURRENT_LIST_DIR}/desktop/capture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/desktop/capture.h
    ${CMAKE_CURRENT_LIST_DIR}/desktop/carte_arbre_bureau.cpp
    ${CMAKE_CURRENT_LIST_DIR}/desktop/carte_arbre_bureau.h
    ${CMAKE_CURRENT_LIST_DIR}/desktop/geocodage_bureau.h
    ${CMAKE_CURRENT_LIST_DIR}/desktop/outil_lieux.cpp
    ${CMAKE_CURRENT_LIST_DIR}/desktop/outil_lieux.h
    ${CMAKE_CURRENT_LIST_DIR}/desktop/reglages_bureau.cpp
    ${CMAKE_CURRENT_LIST_DIR}/desktop/reglages_bureau.h)
  target_include_directories(orlavine PRIVATE ${CMAKE_CURRENT_LIST_DIR}/desktop)
  target_link_libraries(orlavine PRIVATE orlavine_search orlavine_app_commun orlavine_geocodeur
                        orlavine_geoloc_ihm)
  target_compile_definitions(orlavine PRIVATE
    ORLAVINE_DONNEES_DEFAUT="${ORLAVINE_DATA_DIR}"
    ORLAVINE_ATLAS_DEFAUT="${ORLAVINE_DATA_DIR}/atlas"
    ORLAVINE_MONDE_DEFAUT="${ORLAVINE_DATA_DIR}/monde/monde.bin"
    ORLAVINE_GEOCODEUR_DEFAUT="${ORLAVINE_DATA_DIR}/geocodeur/monde.dat"
    ORLAVINE_DATA_README="${ORLAVINE_DATA_DIR}/README.md")
endif()
# ---- end of the desktop program section ------------------------------------------------------
