# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer, made by CPack's NSIS generator (makensis: Debian's nsis package) with the
# script dist/windows/NSIS.template.in: per user (the default, no administrator needed) or for all
# users, the licence shown, a Start-menu entry, and an uninstaller that takes the program away and
# leaves the student's records (c:\tolvanex) alone. `cmake --build <this build> --target package`.
set(TOLVANEX_DIST_ROOT ${TOLVANEX_ROOT}/dist)
install(TARGETS tolvanex tolvanex-report RUNTIME DESTINATION .)
install(FILES ${TOLVANEX_ROOT}/LICENSES/GPL-3.0-or-later.txt ${TOLVANEX_ROOT}/LICENSES/CC-BY-SA-4.0.txt
        DESTINATION licences)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME tolvanex)
set(CPACK_PACKAGE_VENDOR "tolvanex developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME tolvanex-${PROJECT_VERSION}-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY tolvanex)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Question-and-answer drill for a physics course")
set(CPACK_RESOURCE_FILE_LICENSE ${TOLVANEX_ROOT}/LICENSES/GPL-3.0-or-later.txt)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# The programs as students get them: without the debugging information (a third of the size, and
# a smaller start under Wine, which reads it in with the program).
set(CPACK_STRIP_FILES ON)
# The program's own icon for the installer, the uninstaller and the Add/Remove Programs entry.
set(CPACK_NSIS_TOLVANEX_ICON ${CMAKE_BINARY_DIR}/app/tolvanex.ico)
# Our script, not CPack's stock one, which installs for all users only (asking for administrator
# rights) or into the Documents folder.
set(CPACK_MODULE_PATH ${TOLVANEX_DIST_ROOT}/windows)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
