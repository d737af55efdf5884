# Installs the build into a fresh prefix, starts the installed program with
# RAVOLT_SHOW_PATHS and checks that it finds what it brings there, keeps its
# backup in the user's data folder when bin/ cannot be written, and that the
# desktop file is valid; the manual page, copyright and changelog are there
# for the Debian package. Arguments: BUILD_DIR, SOURCE_DIR, WORK_DIR.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

# A user's program folder is not theirs to write; root writes anywhere.
file(CHMOD ${prefix}/bin DIRECTORY_PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen RAVOLT_SHOW_PATHS=1
            XDG_DATA_HOME=${WORK_DIR}/data XDG_CONFIG_HOME=${WORK_DIR}/config
            ${prefix}/bin/ravolt
    WORKING_DIRECTORY ${WORK_DIR}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out)
file(CHMOD ${prefix}/bin DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the installed program failed: ${rc}")
endif()

set(share ${prefix}/share/ravolt)
if(uid STREQUAL "0")
    set(backup_dir ${prefix}/bin)
else()
    set(backup_dir ${WORK_DIR}/data/Quintaro/Ravolt)
endif()
foreach(expected IN ITEMS "start=${share}/start.wav" "stopp=${share}/stopp.wav"
                          "template=${share}/Protokollvorlage.doc"
                          "backup=${backup_dir}/Ravolt-Sicherungsdatei.txt")
    string(FIND "${out}" "${expected}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "expected ${expected} in:\n${out}")
    endif()
endforeach()
string(REGEX MATCH "help=([^\n]*)" _ "${out}")
file(GLOB help_pages ${SOURCE_DIR}/resources/*.html)
if(help_pages AND NOT EXISTS "${CMAKE_MATCH_1}")
    message(FATAL_ERROR "help page not found: ${CMAKE_MATCH_1}")
endif()

foreach(file IN ITEMS ${share}/start.wav ${share}/stopp.wav ${share}/Protokollvorlage.doc
                      ${prefix}/share/icons/hicolor/scalable/apps/ravolt.svg
                      ${prefix}/share/man/man1/ravolt.1.gz
                      ${prefix}/share/doc/ravolt/copyright ${prefix}/share/doc/ravolt/changelog.gz)
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
execute_process(COMMAND desktop-file-validate ${prefix}/share/applications/ravolt.desktop
                RESULT_VARIABLE rc OUTPUT_VARIABLE msg ERROR_VARIABLE msg)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate: ${rc} ${msg}")
endif()
