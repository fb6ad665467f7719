# `make deb`: the Debian package of everything the install rules put under /usr.
include(${CMAKE_CURRENT_LIST_DIR}/PackageFacts.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME folivo)
set(CPACK_PACKAGE_VENDOR Quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PDF-Dokumente bearbeiten, schützen und neu speichern")
# The extended description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Folivo öffnet PDF-Dateien mit seinem eigenen Leser, zeigt ihre Seiten,
bearbeitet die Dokumentinformationen, fügt einen Dateischutz oder ein
Kennwort hinzu und speichert eine vollständige neue PDF-Datei oder hängt
die Änderungen an das Original an.
.
Das Befehlszeilenprogramm folivo-cli erledigt dieselben Arbeiten ohne
Fenster, für die Stapelverarbeitung.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${FOLIVO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${FOLIVO_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SVG icon engine, the metric-compatible
# fonts the page measuring relies on, and the German texts of Qt's own dialogs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-liberation2, qt6-translations-l10n")

include(CPack)
