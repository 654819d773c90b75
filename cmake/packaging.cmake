# Installation layout and packages: a Debian package on Linux, a ZIP of the Windows build.
include(GNUInstallDirs)

install(TARGETS dorvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET dorvane)
    install(TARGETS dorvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The help file sits beside the program, where the window's Help looks for it.
if(DEFINED DORVANE_HELP_FILE)
    install(FILES ${DORVANE_HELP_FILE} DESTINATION ${CMAKE_INSTALL_BINDIR} OPTIONAL)
endif()
if(UNIX AND NOT APPLE)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/dorvane.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/dorvane.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME dorvane)
set(CPACK_PACKAGE_VENDOR "Dorvane developers")
set(CPACK_PACKAGE_CONTACT "Dorvane developers <support@dorvane.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reads, searches and exports Outlook Express 5 mail stores")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://dorvane.example.org/")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "dorvane-${PROJECT_VERSION}-windows-x86_64")
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION mail)
    # The dependency list comes from the libraries the programs link (Qt among them).
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
