# CPack pre-build script: moves the debug information of the staged executables into
# trovix-dbgsym (files under /usr/lib/debug/.build-id, where gdb looks them up by the
# build id each stripped executable keeps) and strips them, as debhelper would. A build
# without debug information (Release) is only stripped and makes no trovix-dbgsym.
set(staging ${CPACK_TEMPORARY_DIRECTORY})
set(debug_root ${CPACK_TOPLEVEL_DIRECTORY}/trovix-dbgsym)
file(REMOVE_RECURSE ${debug_root})
file(GLOB_RECURSE staged LIST_DIRECTORIES false ${staging}/usr/lib/*)
set(build_ids)
set(executables 0)
foreach(file ${staged})
  execute_process(COMMAND readelf --notes --sections ${file} OUTPUT_VARIABLE notes ERROR_QUIET RESULT_VARIABLE not_elf)
  if(not_elf OR NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
    continue()
  endif()
  math(EXPR executables "${executables} + 1")
  set(debug_file ${debug_root}/usr/lib/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
  set(build_id ${CMAKE_MATCH_1}${CMAKE_MATCH_2})
  if(notes MATCHES "\\.debug_info")
    list(APPEND build_ids ${build_id})
    get_filename_component(debug_folder ${debug_file} DIRECTORY)
    file(MAKE_DIRECTORY ${debug_folder})
    execute_process(COMMAND objcopy --only-keep-debug --compress-debug-sections ${file} ${debug_file}
      COMMAND_ERROR_IS_FATAL ANY)
    file(CHMOD ${debug_file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
  execute_process(COMMAND strip --strip-unneeded --remove-section=.comment --remove-section=.note ${file}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
if(executables EQUAL 0)
  message(FATAL_ERROR "No executable with a build id was staged")
endif()
if(NOT build_ids)
  return()
endif()

# Debian's debug packages point their documentation at the package they belong to.
file(MAKE_DIRECTORY ${debug_root}/usr/share/doc ${debug_root}/DEBIAN)
file(CREATE_LINK trovix ${debug_root}/usr/share/doc/trovix-dbgsym SYMBOLIC)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE architecture OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND du -sk --exclude=DEBIAN ${debug_root} OUTPUT_VARIABLE size)
string(REGEX MATCH "^[0-9]+" size "${size}")
string(REPLACE ";" " " build_ids "${build_ids}")
set(version ${CPACK_PACKAGE_VERSION})
file(WRITE ${debug_root}/DEBIAN/control "Package: trovix-dbgsym
Source: trovix
Version: ${version}
Architecture: ${architecture}
Maintainer: ${CPACK_PACKAGE_CONTACT}
Installed-Size: ${size}
Depends: trovix (= ${version})
Section: debug
Priority: optional
Description: debug symbols for trovix
Auto-Built-Package: debug-symbols
Build-Ids: ${build_ids}
")
execute_process(COMMAND sh -c "find usr -type f -print0 | sort -z | xargs -0 md5sum > DEBIAN/md5sums"
  WORKING_DIRECTORY ${debug_root} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND dpkg-deb --root-owner-group --build ${debug_root}
  ${CPACK_PACKAGE_DIRECTORY}/trovix-dbgsym_${version}_${architecture}.deb
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
