# Installation and the Debian package.
#
#   bin/trawlix                         launcher: makes the user's program folder, starts the program in it
#   libexec/trawlix/trawlix             the program (and its helpers beside it)
#   share/trawlix/settings.ini, lng/, help/   what a new program folder starts from
#   share/applications, share/metainfo, share/icons/hicolor   desktop integration
#
# Included at the end of the top-level file, so that every target exists.
include(GNUInstallDirs)

set(TRAWLIX_APP_ID org.trawlix.Trawlix)
# The version the about box shows.
set(TRAWLIX_VERSION 1.0)

set(TRAWLIX_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/trawlix)
set(TRAWLIX_DATA_DIR ${CMAKE_INSTALL_DATADIR}/trawlix)
set(_pkg ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS trawlix RUNTIME DESTINATION ${TRAWLIX_PROGRAM_DIR})
# The program looks for its helpers beside its own binary.
if(TARGET trawlix-nbbrowse)
  install(TARGETS trawlix-nbbrowse RUNTIME DESTINATION ${TRAWLIX_PROGRAM_DIR})
endif()

# The launcher finds the program and the shipped files relative to itself,
# so an installation works under any prefix given at install time.
file(RELATIVE_PATH TRAWLIX_BIN_TO_PROGRAM
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${TRAWLIX_PROGRAM_DIR}/trawlix)
file(RELATIVE_PATH TRAWLIX_BIN_TO_DATA
     ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${TRAWLIX_DATA_DIR})
configure_file(${_pkg}/trawlix.in ${CMAKE_BINARY_DIR}/packaging/trawlix @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/trawlix DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${_pkg}/settings.ini DESTINATION ${TRAWLIX_DATA_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/lng/ DESTINATION ${TRAWLIX_DATA_DIR}/lng
        PATTERN .gitkeep EXCLUDE)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${TRAWLIX_DATA_DIR}/help
        PATTERN .gitkeep EXCLUDE)

install(FILES ${_pkg}/${TRAWLIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/${TRAWLIX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(_size 16 22 24 32 48 64 128 256)
  install(FILES ${_pkg}/icons/${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME ${TRAWLIX_APP_ID}.png)
endforeach()

# Debian package: scripts/package builds it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trawlix)
set(CPACK_PACKAGE_VERSION ${TRAWLIX_VERSION})
set(CPACK_PACKAGE_VENDOR "Trawlix Software")
set(CPACK_PACKAGE_CONTACT "Trawlix Software <packages@trawlix.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "search the shared folders of a local network for files")
set(CPACK_PACKAGE_DESCRIPTION
    "Trawlix finds the computers of the local network and their shared folders, \
searches the ticked shares for files by name mask or file type, and copies \
what it finds to a local folder. Download and folder-synchronise tasks are \
kept between runs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# Declared by hand: the platform plugin is loaded at run time, so no linker
# dependency names it, and the network libraries stay named even where a
# build is made without them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6, qt6-qpa-plugins, libsmbclient0 | libsmbclient, samba-libs, libsecret-1-0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
# Versioned library dependencies of every installed binary, from the linker's view.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)

# Installation tests: each installs into a temporary prefix of its own.
add_test(NAME install_launcher
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/install/launcher.sh ${CMAKE_BINARY_DIR})
add_test(NAME install_desktop_files
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/install/desktop_files.sh ${CMAKE_BINARY_DIR})
add_test(NAME install_package
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/install/package.sh ${CMAKE_BINARY_DIR}
                 $<TARGET_EXISTS:trawlix-nbbrowse>)
set_tests_properties(install_launcher install_desktop_files install_package PROPERTIES
                     TIMEOUT 600 SKIP_RETURN_CODE 77)
