# Installation and the Debian package.
#
#   bin/trawlix                         launcher: makes the user's program folder, starts the program in it
#   libexec/trawlix/trawlix             the program (and its helpers beside it)
#   share/trawlix-shipped/settings.ini, lng/, help/   what a program folder starts from
#   share/applications, share/metainfo, share/icons/hicolor   desktop integration
#   share/man/man1/trawlix.1.gz, share/doc/trawlix/   manual page, copyright, changelog
#
# The shipped files' folder is not named "trawlix": under the prefix
# ~/.local it would be the user's own program folder, $XDG_DATA_HOME/trawlix.
#
# Included at the end of the top-level file, so that every target exists.
include(GNUInstallDirs)

set(TRAWLIX_APP_ID org.trawlix.Trawlix)

set(TRAWLIX_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/trawlix)
set(TRAWLIX_DATA_DIR ${CMAKE_INSTALL_DATADIR}/trawlix-shipped)
set(TRAWLIX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/trawlix)
set(_pkg ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS trawlix RUNTIME DESTINATION ${TRAWLIX_PROGRAM_DIR})
# The program looks for its helpers beside its own binary.
if(TARGET trawlix-nbbrowse)
  install(TARGETS trawlix-nbbrowse RUNTIME DESTINATION ${TRAWLIX_PROGRAM_DIR})
endif()
if(TARGET trawlix-smbread)
  install(TARGETS trawlix-smbread RUNTIME DESTINATION ${TRAWLIX_PROGRAM_DIR})
endif()

# Without the compilers' .comment notes, as Debian's stripping leaves them.
if(CMAKE_OBJCOPY)
  install(CODE "
    foreach(_bin trawlix trawlix-nbbrowse trawlix-smbread)
      set(_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TRAWLIX_PROGRAM_DIR}/\${_bin}\")
      if(EXISTS \"\${_file}\")
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment \"\${_file}\")
      endif()
    endforeach()")
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
# No empty help folder is shipped: the launcher makes the user's own.
file(GLOB _help ${CMAKE_SOURCE_DIR}/help/*)
list(FILTER _help EXCLUDE REGEX "/\\.gitkeep$")
if(_help)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${TRAWLIX_DATA_DIR}/help
          PATTERN .gitkeep EXCLUDE)
endif()

install(FILES ${_pkg}/${TRAWLIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${_pkg}/${TRAWLIX_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/packaging/${TRAWLIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${TRAWLIX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The drawing, and bitmaps rendered from it for each size (packaging/icons/render).
install(FILES ${_pkg}/icons/trawlix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TRAWLIX_APP_ID}.svg)
foreach(_size 16 22 24 32 48 64 128 256)
  install(FILES ${_pkg}/icons/${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME ${TRAWLIX_APP_ID}.png)
endforeach()

# The manual page and the changelog, compressed as Debian ships them (no
# name or time in the header, so that builds are reproducible).
execute_process(COMMAND date -u -R -d "${TRAWLIX_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE TRAWLIX_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(_docs)
foreach(_doc trawlix.1 changelog)
  configure_file(${_pkg}/${_doc}.in ${CMAKE_BINARY_DIR}/packaging/doc/${_doc} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${_doc}.gz
                     COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/packaging/doc/${_doc} > ${CMAKE_BINARY_DIR}/packaging/${_doc}.gz
                     DEPENDS ${CMAKE_BINARY_DIR}/packaging/doc/${_doc})
  list(APPEND _docs ${CMAKE_BINARY_DIR}/packaging/${_doc}.gz)
endforeach()
add_custom_target(trawlix_docs ALL DEPENDS ${_docs})
install(FILES ${CMAKE_BINARY_DIR}/packaging/trawlix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_pkg}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${TRAWLIX_DOC_DIR})
# What lintian reports wrongly about the package, each with its reason.
install(FILES ${_pkg}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME trawlix)

# Debian package: scripts/package builds it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trawlix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Trawlix Software")
set(CPACK_PACKAGE_CONTACT "Trawlix Software <packages@trawlix.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "search the shared folders of a local network for files")
# Lines of the package description, as Debian wants them: at most 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Trawlix finds the computers of the local network and their shared"
       "folders (SMB shares), searches the ticked shares for files by name mask"
       "or file type, and copies what it finds to a local folder. Download and"
       "folder-synchronise tasks are kept between runs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# Depends: the libraries the installed binaries link, each once, from
# dpkg-shlibdeps (package dpkg-dev). The platform plugins come with
# libqt6gui6. Recommends: what the program runs without linking it (the
# desktop's opener for files, folders and help) and the icon theme.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  message(STATUS "dpkg-shlibdeps is missing: a package built here declares no dependencies")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, hicolor-icon-theme")
include(CPack)

# Installation tests: each installs into a temporary prefix of its own.
if(TRAWLIX_TESTS)
  add_test(NAME install_launcher
           COMMAND sh ${CMAKE_SOURCE_DIR}/tests/install/launcher.sh ${CMAKE_BINARY_DIR})
  add_test(NAME install_desktop_files
           COMMAND sh ${CMAKE_SOURCE_DIR}/tests/install/desktop_files.sh ${CMAKE_BINARY_DIR})
  add_test(NAME install_home
           COMMAND sh ${CMAKE_SOURCE_DIR}/tests/install/home_install.sh ${CMAKE_BINARY_DIR})
  add_test(NAME install_package
           COMMAND sh ${CMAKE_SOURCE_DIR}/tests/install/package.sh ${CMAKE_BINARY_DIR}
                   $<TARGET_EXISTS:trawlix-nbbrowse>)
  set_tests_properties(install_launcher install_desktop_files install_home install_package PROPERTIES
                       TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()
