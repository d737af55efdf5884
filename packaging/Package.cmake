# The Debian package, built by CPack's DEB generator (scripts/package.sh):
# it takes what the install rules install, under /usr, and asks
# dpkg-shlibdeps for the libraries the program links.

# One version for the program, the package and the changelog: the changelog's
# latest entry must name the project's version.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog latest_entry LIMIT_COUNT 1)
if(NOT latest_entry MATCHES "^ravolt \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog's latest entry (${latest_entry}) must be for version ${PROJECT_VERSION}")
endif()

# Debian wants the changelog and the manual page compressed without a time stamp.
foreach(file IN ITEMS changelog ravolt.1)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${file}.gz
        COMMAND sh -c "gzip -9nc '${CMAKE_CURRENT_LIST_DIR}/${file}' > '${PROJECT_BINARY_DIR}/${file}.gz'"
        DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${file} VERBATIM)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz ${PROJECT_BINARY_DIR}/ravolt.1.gz)
# The package is native (built from this tree): its changelog is changelog.gz.
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION share/doc/ravolt)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION share/doc/ravolt)
install(FILES ${PROJECT_BINARY_DIR}/ravolt.1.gz DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ravolt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ravolt developers <ravolt@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://ravolt.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "timing desk for hill-climb car slalom events")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Ravolt times two alternating lanes, started and stopped by hand or by light
barriers on a serial port's modem-status lines, and keeps every run in a
ranked protocol with an automatic backup, a journal and an event book with
entry list, penalties and results. A spectator window shows the lanes in
large digits. The interface is German.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the linker does not show: the SQLite driver is a Qt plugin, the
# displays are laid out for Liberation's metrics, and Qt's dialogs take
# their German texts from Qt's translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, fonts-liberation, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
