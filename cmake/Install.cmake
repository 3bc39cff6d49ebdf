# The installed program folder mirrors the build tree: both executables, the
# database, the skins and the icon in lib/trovix, with a launcher on the PATH.
include(GNUInstallDirs)
set(TROVIX_INSTALL_FOLDER ${CMAKE_INSTALL_LIBDIR}/trovix)

install(TARGETS Trovix update RUNTIME DESTINATION ${TROVIX_INSTALL_FOLDER})
install(FILES ${TROVIX_PROGRAM_DIR}/yundan.mdb ${TROVIX_PROGRAM_DIR}/skinh.she
        DESTINATION ${TROVIX_INSTALL_FOLDER})
install(DIRECTORY ${TROVIX_PROGRAM_DIR}/bin/ DESTINATION ${TROVIX_INSTALL_FOLDER}/bin FILES_MATCHING PATTERN "*.she")
install(FILES data/trovix.png DESTINATION ${TROVIX_INSTALL_FOLDER})
install(FILES data/trovix.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES data/trovix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(data/trovix-launcher.in ${CMAKE_BINARY_DIR}/launcher/trovix @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/trovix DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trovix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Trovix developers <dev@trovix.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop parcel tracker for Chinese express couriers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6core6, libqt6gui6, libqt6widgets6, libqt6network6, libqt6sql6, libqt6sql6-sqlite, libqt6webenginecore6, libqt6webenginewidgets6, libqt6webenginecore6-bin, qt6-translations-l10n, qt6-qpa-plugins, fonts-noto-cjk, fonts-arphic-ukai, fonts-arphic-uming, xdg-utils")
include(CPack)
