# The installed program folder mirrors the build tree (both executables, the skins
# and the icon in lib/trovix) with a launcher on the PATH that runs Trovix from each
# user's own copy of it. The database ships only as the template of that copy, so
# installing again or upgrading never replaces a user's saved waybills.
include(GNUInstallDirs)
set(TROVIX_INSTALL_FOLDER ${CMAKE_INSTALL_LIBDIR}/trovix)

install(TARGETS Trovix update RUNTIME DESTINATION ${TROVIX_INSTALL_FOLDER})
install(FILES ${TROVIX_PROGRAM_DIR}/yundan.mdb DESTINATION ${TROVIX_INSTALL_FOLDER} RENAME yundan.mdb.template)
install(FILES ${TROVIX_PROGRAM_DIR}/skinh.she DESTINATION ${TROVIX_INSTALL_FOLDER})
install(DIRECTORY ${TROVIX_PROGRAM_DIR}/bin/ DESTINATION ${TROVIX_INSTALL_FOLDER}/bin FILES_MATCHING PATTERN "*.she")
install(FILES data/trovix.png DESTINATION ${TROVIX_INSTALL_FOLDER})
install(FILES data/trovix.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES data/trovix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# A build whose aggregator is on loopback (the embedded default) works out of the box
# only with the sample aggregator beside it; a build for a real one carries none.
set(loopback_host "^(127\\.[0-9.]+|localhost)(:[0-9]+)?$")
if(TROVIX_AGGREGATOR_HOST_A MATCHES "${loopback_host}" OR TROVIX_AGGREGATOR_HOST_B MATCHES "${loopback_host}")
  install(TARGETS sample-aggregator RUNTIME DESTINATION ${TROVIX_INSTALL_FOLDER})
  message(STATUS "Aggregator on loopback: the sample aggregator is installed beside Trovix")
endif()

# Packages that shipped a live yundan.mdb let root save waybills into it; dpkg removes
# that file on upgrade, so the package's preinst keeps a copy here for the launcher.
set(TROVIX_LEGACY_DATABASE /var/lib/trovix/yundan.mdb)
configure_file(data/trovix-launcher.in ${CMAKE_BINARY_DIR}/launcher/trovix @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/trovix DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trovix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Trovix developers <dev@trovix.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop parcel tracker for Chinese express couriers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(TROVIX_PACKAGED_PROGRAM_FOLDER ${CPACK_PACKAGING_INSTALL_PREFIX}/${TROVIX_INSTALL_FOLDER})
configure_file(data/trovix-preinst.in ${CMAKE_BINARY_DIR}/package/preinst @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/package/preinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6core6, libqt6gui6, libqt6widgets6, libqt6network6, libqt6sql6, libqt6sql6-sqlite, libqt6webenginecore6, libqt6webenginewidgets6, libqt6webenginecore6-bin, libsodium23, qt6-translations-l10n, qt6-qpa-plugins, fonts-noto-cjk, fonts-arphic-ukai, fonts-arphic-uming, xdg-utils")
include(CPack)
