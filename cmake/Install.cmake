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

# The Debian changelog is the record of releases: its latest entry must name the
# project's version, and the AppStream release is taken from it.
set(package_data ${CMAKE_SOURCE_DIR}/data/package)
file(STRINGS ${package_data}/changelog changelog_lines)
list(GET changelog_lines 0 changelog_head)
string(REGEX REPLACE "^trovix \\(([^)]+)\\).*" "\\1" changelog_version "${changelog_head}")
if(NOT changelog_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "data/package/changelog's latest entry is ${changelog_version}, "
    "the project is ${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION}")
endif()
list(FILTER changelog_lines INCLUDE REGEX "^ -- ")
list(GET changelog_lines 0 changelog_trailer)
if(NOT changelog_trailer MATCHES ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
  message(FATAL_ERROR "data/package/changelog: no date in \"${changelog_trailer}\"")
endif()
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" month_index)
math(EXPR month "${month_index} + 101")
math(EXPR day "${CMAKE_MATCH_1} + 100")
string(SUBSTRING ${month} 1 2 month)
string(SUBSTRING ${day} 1 2 day)
set(TROVIX_RELEASE_DATE "${CMAKE_MATCH_3}-${month}-${day}")

set(package_build ${CMAKE_BINARY_DIR}/package)
set(TROVIX_APPSTREAM_ID invalid.trovix.trovix)
configure_file(${package_data}/${TROVIX_APPSTREAM_ID}.metainfo.xml.in
  ${package_build}/${TROVIX_APPSTREAM_ID}.metainfo.xml @ONLY)
configure_file(${package_data}/trovix.1 ${package_build}/trovix.1 @ONLY)
# Compressed as Debian wants them: best ratio, no name or time stamp inside.
foreach(page changelog trovix.1)
  add_custom_command(OUTPUT ${package_build}/${page}.gz
    COMMAND gzip -9nc ${page} > ${page}.gz.new
    COMMAND ${CMAKE_COMMAND} -E rename ${page}.gz.new ${page}.gz
    DEPENDS ${package_build}/${page}
    WORKING_DIRECTORY ${package_build} VERBATIM)
endforeach()
configure_file(${package_data}/changelog ${package_build}/changelog COPYONLY)
add_custom_target(trovix_package_docs ALL DEPENDS ${package_build}/changelog.gz ${package_build}/trovix.1.gz)
install(FILES ${package_build}/${TROVIX_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${package_build}/trovix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package_data}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/trovix)
# A native package: its one changelog is changelog.gz, not changelog.Debian.gz.
install(FILES ${package_build}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/trovix)

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
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Trovix tracks parcels of fifteen Chinese express couriers. Pick a courier and
type a waybill number: Trovix fills in the tracking aggregator's own web page
in a hidden browser that stays out of sight and shows only the lines of the
tracking history. Waybills to follow are kept in a small SQLite database,
results can be saved to a text file and seven skins restyle the window. The
interface is Simplified Chinese.
.
The updater installs a newer build only when the publisher's minisign key
signed it for a version higher than the installed one.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(TROVIX_PACKAGED_PROGRAM_FOLDER ${CPACK_PACKAGING_INSTALL_PREFIX}/${TROVIX_INSTALL_FOLDER})
configure_file(data/trovix-preinst.in ${CMAKE_BINARY_DIR}/package/preinst @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/package/preinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the executables link are computed from them; these are loaded or started
# at run time, which no linker records: among them the browser the hidden page runs in,
# a child process of Trovix. The headless shell is the one it looks for first; the full
# browser, run headless, serves as well.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "chromium-headless-shell | chromium, libqt6sql6-sqlite, qt6-qpa-plugins, qt6-translations-l10n, fonts-noto-cjk, fonts-arphic-ukai, fonts-arphic-uming, xdg-utils")
# A Wayland session runs Trovix natively with Qt's Wayland plug-in, through XWayland without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# Stripped executables in the package, their symbols in trovix-dbgsym when the build has
# any. CPack's own debug package lists build-time paths in its md5sums, so the staged
# files are split here.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/DebugSymbols.cmake)
include(CPack)
