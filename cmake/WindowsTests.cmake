# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The core and its tests built for 64-bit Windows with MinGW-w64 (a second build in
# <build>/windows, driven from this one) and run under Wine, as the tests labelled "windows".
# TOLVANEX_WINDOWS_TESTS: ON needs the cross compiler and Wine (tools/test installs them), AUTO
# builds the tests when both are there, OFF leaves them out.
set(TOLVANEX_WINDOWS_TESTS AUTO CACHE STRING "Build the core tests for Windows and run them under Wine: ON, OFF or AUTO")
set_property(CACHE TOLVANEX_WINDOWS_TESTS PROPERTY STRINGS ON OFF AUTO)
if(NOT TOLVANEX_WINDOWS_TESTS STREQUAL "AUTO" AND NOT TOLVANEX_WINDOWS_TESTS)
    return()
endif()

# Debian 12 keeps the wine64 loader out of the PATH.
find_program(TOLVANEX_MINGW_CXX x86_64-w64-mingw32-g++-posix)
find_program(TOLVANEX_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(TOLVANEX_WINE64 wine64)
set(TOLVANEX_GTEST_SOURCES /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
if(NOT TOLVANEX_MINGW_CXX OR NOT TOLVANEX_WINE64 OR NOT EXISTS ${TOLVANEX_GTEST_SOURCES}/CMakeLists.txt)
    set(missing "x86_64-w64-mingw32-g++-posix: ${TOLVANEX_MINGW_CXX}, wine64: ${TOLVANEX_WINE64}, "
                "GoogleTest sources: ${TOLVANEX_GTEST_SOURCES}")
    if(TOLVANEX_WINDOWS_TESTS)
        message(FATAL_ERROR "The Windows tests need MinGW-w64, Wine and GoogleTest's sources (${missing})")
    endif()
    message(STATUS "Windows tests left out: MinGW-w64, Wine or GoogleTest's sources missing (${missing})")
    return()
endif()

set(windows_build ${CMAKE_BINARY_DIR}/windows)
include(ExternalProject)
ExternalProject_Add(tolvanex_windows
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/cmake/windows
    BINARY_DIR ${windows_build}
    PREFIX ${windows_build}/stamps
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DTOLVANEX_WERROR=${TOLVANEX_WERROR}
               -DTOLVANEX_BANK_CPP_PREBUILT=${CMAKE_BINARY_DIR}/generated/BankData.cpp
               -DGTEST_SOURCE_DIR=${TOLVANEX_GTEST_SOURCES}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    DEPENDS tolvanex_core)

# Each test program runs whole under Wine, in a throw-away Wine prefix inside the build folder
# (made by the first test). Console programs need no display. The time zone is half an hour off
# UTC, so that a clock reading UTC, or the C library's TZ rules, shows.
set(wine_environment
    TZ=Asia/Kolkata
    WINEPREFIX=${windows_build}/wineprefix
    WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=
    DISPLAY=)
file(MAKE_DIRECTORY ${windows_build}/logs)
set(run_under_wine ${CMAKE_COMMAND} -DWINE=${TOLVANEX_WINE64} -DLOG=${windows_build}/logs/)
add_test(NAME windows.wineprefix COMMAND ${run_under_wine}wineprefix.log -DPROGRAM=cmd "-DARGS=/c;exit"
                                         -P ${CMAKE_CURRENT_LIST_DIR}/RunUnderWine.cmake)
set_tests_properties(windows.wineprefix PROPERTIES
    ENVIRONMENT "${wine_environment}" LABELS windows TIMEOUT 300 FIXTURES_SETUP wineprefix)
# Cases that hold for the other systems only, left out here:
# - the mapping of Windows paths onto the home folder, which Windows does not do;
# - the reasons in the words of the C library ("No such file or directory"): on Windows they are the
#   system's own (tests/core/platform/tst_windowsfiles.cpp checks them there);
# - a test that copies a folder into an existing one, which MinGW's std::filesystem::copy refuses
#   (runs that accumulate are checked on Windows in tst_windowsfiles.cpp).
set(elsewhere_only
    Paths.WindowsPathsMapOntoTheHomeFolder
    Positioning.AMissingFolderGetsAMessageAndASecondChance
    Recording.ViewersOfMissingFilesChangeNothing
    Positioning.RunsAccumulateAndTheSendFileFollowsTheDay)
list(JOIN elsewhere_only ":" elsewhere_only)
file(GLOB CORE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/*/tst_*.cpp)
foreach(source ${CORE_TESTS})
    get_filename_component(name ${source} NAME_WE)
    add_test(NAME windows.${name}
        COMMAND ${run_under_wine}${name}.log -DPROGRAM=${windows_build}/${name}.exe
                -DARGS=--gtest_filter=-${elsewhere_only} -P ${CMAKE_CURRENT_LIST_DIR}/RunUnderWine.cmake)
    set_tests_properties(windows.${name} PROPERTIES
        ENVIRONMENT "${wine_environment}" LABELS windows TIMEOUT 600 FIXTURES_REQUIRED wineprefix)
endforeach()
