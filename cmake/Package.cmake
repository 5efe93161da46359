# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
# What "cmake --install" puts on a Linux system, and the Debian package made of it with CPack:
# the program, its desktop entry and icon, the AppStream metainfo, the manual page, and the
# changelog and copyright every Debian package carries. The version (project()) and the release
# date (TOLVANEX_RELEASE_DATE) are written into the metainfo, the manual page and the changelog
# here; the program takes its version from the same project().

include(GNUInstallDirs)
install(TARGETS tolvanex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The instructor's report program, beside it.
install(TARGETS tolvanex-report RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(NOT (UNIX AND NOT APPLE))
    return()
endif()

set(TOLVANEX_MAINTAINER "tolvanex developers <tolvanex@tolvanex.invalid>"
    CACHE STRING "The package's maintainer, as \"Name <address>\"; written into the package and its changelog")

# A date YYYY-MM-DD as the Debian changelog writes it (RFC 2822), its weekday by Sakamoto's method.
function(tolvanex_rfc2822_date date out)
    if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
        message(FATAL_ERROR "not a date YYYY-MM-DD: ${date}")
    endif()
    set(year ${CMAKE_MATCH_1})
    math(EXPR month "${CMAKE_MATCH_2} - 1")
    set(day ${CMAKE_MATCH_3})
    set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    list(GET offsets ${month} offset)
    set(y ${year}) # January and February count with the year before
    if(month LESS 2)
        math(EXPR y "${year} - 1")
    endif()
    math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
    set(weekdays Sun Mon Tue Wed Thu Fri Sat)
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(GET weekdays ${weekday} weekday)
    list(GET months ${month} month)
    set(${out} "${weekday}, ${day} ${month} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# A licence text as a field of the copyright file holds it: every line indented by one blank, an
# empty line written as " .".
function(tolvanex_dep5_text file out)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(READ ${file} text)
    string(STRIP "${text}" text)
    string(REPLACE "\n" "\n " text " ${text}")
    while(text MATCHES "\n \n")
        string(REPLACE "\n \n" "\n .\n" text "${text}")
    endwhile()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

tolvanex_rfc2822_date(${TOLVANEX_RELEASE_DATE} TOLVANEX_RELEASE_DATE_RFC2822)
# Debian ships no copy of the content's licence, so the copyright file holds its text.
tolvanex_dep5_text(${CMAKE_SOURCE_DIR}/LICENSES/CC-BY-SA-4.0.txt TOLVANEX_CC_BY_SA_TEXT)

set(TOLVANEX_DIST ${CMAKE_BINARY_DIR}/dist)
configure_file(dist/${TOLVANEX_APP_ID}.metainfo.xml.in ${TOLVANEX_DIST}/${TOLVANEX_APP_ID}.metainfo.xml @ONLY)
configure_file(dist/debian/copyright.in ${TOLVANEX_DIST}/copyright @ONLY)
# The manual page and the changelog compressed as Debian wants them: gzip -9, no name or time stored.
configure_file(dist/tolvanex.1.in ${TOLVANEX_DIST}/tolvanex.1 @ONLY)
configure_file(dist/tolvanex-report.1.in ${TOLVANEX_DIST}/tolvanex-report.1 @ONLY)
configure_file(dist/debian/changelog.in ${TOLVANEX_DIST}/changelog @ONLY)
foreach(file tolvanex.1 tolvanex-report.1 changelog)
    execute_process(COMMAND gzip -9nc ${file} WORKING_DIRECTORY ${TOLVANEX_DIST}
                    OUTPUT_FILE ${TOLVANEX_DIST}/${file}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()

install(FILES dist/${TOLVANEX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES dist/tolvanex.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${TOLVANEX_DIST}/${TOLVANEX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TOLVANEX_DIST}/tolvanex.1.gz ${TOLVANEX_DIST}/tolvanex-report.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TOLVANEX_DIST}/copyright ${TOLVANEX_DIST}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian package: cpack -G DEB --config build/CPackConfig.cmake (or the "package" target).
set(CPACK_PACKAGE_NAME tolvanex)
set(CPACK_PACKAGE_VENDOR "tolvanex developers")
set(CPACK_PACKAGE_CONTACT "${TOLVANEX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Question-and-answer drill for a physics course")
set(CPACK_PACKAGE_DESCRIPTION "Pages through the questions and given answers of a physics course's\n\
assignments and files the student's responses, ratings and notes in text\n\
files to send to the instructor.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
