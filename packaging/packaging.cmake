# Install rules and the Debian package.
include(GNUInstallDirs)

set(vorel_install_vars
    "set(VOREL_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
     set(VOREL_GEN_DIR \"${PROJECT_BINARY_DIR}/packaging\")
     set(VOREL_SHARE_DIR \"${VOREL_SHARE_DIR}\")")

# A portable copy: `cmake --install build`.
install(TARGETS vorel RUNTIME DESTINATION . COMPONENT portable)
install(FILES LICENSE DESTINATION . COMPONENT portable)
if(EXISTS "${PROJECT_SOURCE_DIR}/help")
  install(DIRECTORY help/ DESTINATION help COMPONENT portable)
endif()
install(CODE "${vorel_install_vars}
              set(VOREL_LAYOUT portable)" COMPONENT portable)
install(SCRIPT packaging/install.cmake COMPONENT portable)

# For every user of the machine, as the package installs it:
# `cmake --install build --component system --prefix /usr/local`.
install(TARGETS vorel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vorel
        COMPONENT system EXCLUDE_FROM_ALL)
if(EXISTS "${PROJECT_SOURCE_DIR}/help")
  install(DIRECTORY help/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vorel/help
          COMPONENT system EXCLUDE_FROM_ALL)
endif()
configure_file(packaging/changelog.in packaging/changelog @ONLY)
install(CODE "${vorel_install_vars}
              set(VOREL_LAYOUT system)" COMPONENT system EXCLUDE_FROM_ALL)
install(SCRIPT packaging/install.cmake COMPONENT system EXCLUDE_FROM_ALL)

# `cpack -G DEB` in the build folder: vorel_<version>_<arch>.deb for /usr.
set(CPACK_PACKAGE_NAME vorel)
set(CPACK_PACKAGE_VENDOR "The Vorel authors")
set(CPACK_PACKAGE_CONTACT "The Vorel authors <maintainers@users.noreply.c-seed-c812318a.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch file renamer with a Japanese interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Vorel lists the files marked in a file manager and renames them in batches:\n\
upper or lower case, a text added or deleted at the start or end of the name,\n\
a new extension, or the same on every file of one folder. It never replaces\n\
another file and writes a report of what is on disk afterwards.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL system)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_PACKAGE_NAME vorel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs in Japanese; xdg-open for the launcher and links out of
# the help; a Japanese font, without which every text is empty boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, xdg-utils, fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")
include(CPack)
