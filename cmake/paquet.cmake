# ---- Debian package (cpack -G DEB, from the build folder) ---------------------------------------
# orlavine_<version>_amd64.deb: the programs in /usr/bin, the data in /usr/share/orlavine (found by
# the programs relative to themselves), the menu entry, icon, GEDCOM file type, the man page of
# orlavine-cli and the credits and licences of the bundled data. The library dependencies come
# from dpkg-shlibdeps (dpkg-dev); what is loaded at run time without being linked is listed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orlavine)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Équipe Orlavine <orlavine@localhost>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Équipe Orlavine <orlavine@localhost>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The build may carry debugging information (RelWithDebInfo): the package does not.
set(CPACK_STRIP_FILES ON)
# Platform plugins (offscreen, xcb) ship with libqt6gui6 and the SVG icon engine with libqt6svg6,
# both found by shlibdeps; the map's label font is loaded by name.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "atlas des communes de France et géolocalisation généalogique
Orlavine cherche les communes de France métropolitaine (communes actuelles,
déléguées, associées et anciennes) par nom, code INSEE, code postal ou
département, mesure les distances et dessine la carte ; il importe un fichier
GEDCOM, localise ses lieux hors ligne (atlas et géocodeur du monde) et
réexporte l'arbre avec les coordonnées.
.
French genealogy atlas and place geolocation: an offline atlas of the
communes of France, an offline world geocoder, and the geolocation of the
places of a GEDCOM family tree, in a Qt window (orlavine) and on the command
line (orlavine-cli).")
# No homepage: CPACK_DEBIAN_PACKAGE_HOMEPAGE is left unset on purpose.
include(CPack)
