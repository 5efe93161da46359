# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
# tolvanex built for 64-bit Windows with MinGW-w64 (a second build in <build>/windows, driven from
# this one) and run under Wine, as the tests labelled "windows": the core and its tests; with Qt
# built for Windows (TOLVANEX_WINDOWS_QT, made by tools/windows-qt) also the program tolvanex.exe,
# driven through the journeys in an X server, and its installer.
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

set(TOLVANEX_WINDOWS_QT "" CACHE PATH "Qt built for Windows (tools/windows-qt prints where): builds and tests the window, tolvanex.exe and its installer")
set(windows_build ${CMAKE_BINARY_DIR}/windows)
set(windows_toolchain -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake)
set(windows_build_command ${CMAKE_COMMAND} --build ${windows_build})
if(TOLVANEX_WINDOWS_QT)
    if(NOT EXISTS ${TOLVANEX_WINDOWS_QT}/lib/cmake/Qt6/qt.toolchain.cmake)
        message(FATAL_ERROR "TOLVANEX_WINDOWS_QT: no Qt for Windows in ${TOLVANEX_WINDOWS_QT} (tools/windows-qt builds it)")
    endif()
    # Qt's toolchain file finds Qt for Windows and hands on to ours; the moc, rcc and uic of the
    # host's Qt (the same version) run on this machine.
    get_filename_component(host_qt_cmake_dir ${Qt6_DIR}/.. ABSOLUTE)       # .../lib/<triplet>/cmake
    get_filename_component(host_qt_prefix ${Qt6_DIR}/../../../.. ABSOLUTE)  # /usr
    set(windows_toolchain -DCMAKE_TOOLCHAIN_FILE=${TOLVANEX_WINDOWS_QT}/lib/cmake/Qt6/qt.toolchain.cmake
                          -DQT_CHAINLOAD_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake
                          -DQT_HOST_PATH=${host_qt_prefix} -DQT_HOST_PATH_CMAKE_DIR=${host_qt_cmake_dir}
                          -DTOLVANEX_WINDOWS_QT=${TOLVANEX_WINDOWS_QT})
    list(APPEND windows_build_command COMMAND ${CMAKE_COMMAND} --build ${windows_build} --target package)
endif()
# Its toolchain is fixed when the Windows build folder is first configured: one configured for
# another Qt (or none) starts afresh.
if(NOT "${TOLVANEX_WINDOWS_QT}" STREQUAL "${TOLVANEX_WINDOWS_QT_CONFIGURED}")
    file(REMOVE_RECURSE ${windows_build}/CMakeCache.txt ${windows_build}/CMakeFiles ${windows_build}/stamps)
    set(TOLVANEX_WINDOWS_QT_CONFIGURED "${TOLVANEX_WINDOWS_QT}" CACHE INTERNAL "the Qt the Windows build was configured for")
endif()
include(ExternalProject)
ExternalProject_Add(tolvanex_windows
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/cmake/windows
    BINARY_DIR ${windows_build}
    PREFIX ${windows_build}/stamps
    CMAKE_ARGS ${windows_toolchain}
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
               -DTOLVANEX_WERROR=${TOLVANEX_WERROR}
               -DTOLVANEX_VERSION=${PROJECT_VERSION}
               -DTOLVANEX_BANK_CPP_PREBUILT=${CMAKE_BINARY_DIR}/generated/BankData.cpp
               -DGTEST_SOURCE_DIR=${TOLVANEX_GTEST_SOURCES}
    BUILD_COMMAND ${windows_build_command}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    DEPENDS tolvanex_core)

# Each test program runs whole under Wine, in a throw-away Wine prefix inside the build folder
# (made by the first test). Console programs need no display. The time zone is half an hour off
# UTC, so that a clock reading UTC, or the C library's TZ rules, shows.
# Everything under Wine runs alone (RUN_SERIAL): Wine's start is the heaviest thing the suite does,
# and the journeys' windows beside another test's load came late (the first window of a journey
# waited for more than 15 s). The time limits end a test that hangs; on a busy machine Wine's start
# alone may take a minute.
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
    ENVIRONMENT "${wine_environment}" LABELS windows TIMEOUT 900 RUN_SERIAL ON FIXTURES_SETUP wineprefix)
# Cases that hold for the other systems only, left out here:
# - the mapping of Windows paths onto the home folder, which Windows does not do;
# - the reasons in the words of the C library ("No such file or directory"): on Windows they are the
#   system's own (tests/core/platform/tst_windowsfiles.cpp checks them there);
# - a test that copies a folder into an existing one, which MinGW's std::filesystem::copy refuses
#   (runs that accumulate are checked on Windows in tst_windowsfiles.cpp).
set(elsewhere_only
    Paths.WindowsPathsMapOntoTheHomeFolder
    Positioning.AMissingFolderGetsAMessageAndASecondChance
    Positioning.AFolderNotThereIsNamedWithABlankAtItsEndPointedOut
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
        ENVIRONMENT "${wine_environment}" LABELS windows TIMEOUT 600 RUN_SERIAL ON FIXTURES_REQUIRED wineprefix)
endforeach()

# The instructor's report: a class's files read under Wine, from a folder whose name no ANSI code
# page holds, as tests/e2e/report.py reads them on Linux.
add_test(NAME windows.e2e_report_cli
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/e2e/report.py --report ${windows_build}/tolvanex-report.exe
            --makeclass $<TARGET_FILE:makeclass> --output ${CMAKE_BINARY_DIR}/tests/windows-e2e
            --wine ${TOLVANEX_WINE64} --wineprefix ${windows_build}/wineprefix cli)
set_tests_properties(windows.e2e_report_cli PROPERTIES
    ENVIRONMENT "${wine_environment}" LABELS "windows;e2e" TIMEOUT 900 RUN_SERIAL ON FIXTURES_REQUIRED wineprefix)

if(NOT TOLVANEX_WINDOWS_QT)
    return()
endif()

# The window's tests on Windows' own platform, each in an X server (Qt for Windows has no offscreen
# platform), one at a time in a Wine prefix of their own, with Wine's Tahoma in its Fonts folder.
# Wine hands no QT_* variable on to Windows.
find_file(TOLVANEX_WINE_TAHOMA tahoma.ttf PATHS /usr/share/wine/fonts NO_DEFAULT_PATH)
get_filename_component(wine_fonts ${TOLVANEX_WINE_TAHOMA} DIRECTORY)
file(GLOB GUI_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gui/*/tst_*.cpp)
foreach(source ${GUI_TESTS})
    get_filename_component(name ${source} NAME_WE)
    add_test(NAME windows.${name}
        COMMAND ${CMAKE_COMMAND} -DWINE=${TOLVANEX_WINE64} -DLOG=${windows_build}/logs/${name}.log -DXVFB=ON
                -DFONTS=${wine_fonts}
                -DPROGRAM=${windows_build}/${name}.exe -P ${CMAKE_CURRENT_LIST_DIR}/RunUnderWine.cmake)
    set_tests_properties(windows.${name} PROPERTIES ENVIRONMENT "${wine_environment};WINEPREFIX=${windows_build}/wineprefix-gui"
        LABELS windows TIMEOUT 600 RUN_SERIAL ON)
endforeach()

# The command line: --help, --version and a usage error, answered with no display.
add_test(NAME windows.e2e_commandline
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/e2e/commandline.py --program ${windows_build}/tolvanex.exe
            --wine ${TOLVANEX_WINE64} --wineprefix ${windows_build}/wineprefix --version ${PROJECT_VERSION})
set_tests_properties(windows.e2e_commandline PROPERTIES
    ENVIRONMENT "${wine_environment}" LABELS "windows;e2e" TIMEOUT 900 RUN_SERIAL ON FIXTURES_REQUIRED wineprefix)

# The journeys of the Linux program, on tolvanex.exe under Wine in an X server: the same table
# (tests/e2e/journeys.py), one Wine prefix of their own, one journey at a time in it.
set(windows_journey_args --program ${windows_build}/tolvanex.exe --wine ${TOLVANEX_WINE64}
    --wineprefix ${windows_build}/wineprefix-e2e --texts ${CMAKE_BINARY_DIR}/generated/texts.json
    --content ${CMAKE_SOURCE_DIR}/src/core/bank/content --output ${CMAKE_BINARY_DIR}/tests/windows-e2e)
function(add_windows_journeys script)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "SUFFIX" "ARGS;JOURNEYS")
    foreach(journey ${arg_JOURNEYS})
        add_test(NAME windows.e2e_${journey}${arg_SUFFIX}
            COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/e2e/${script} ${windows_journey_args}
                    ${arg_ARGS} ${journey})
        set_tests_properties(windows.e2e_${journey}${arg_SUFFIX} PROPERTIES
            LABELS "windows;e2e" TIMEOUT 900 SKIP_RETURN_CODE 77 RUN_SERIAL ON)
    endforeach()
endfunction()
add_windows_journeys(journeys.py JOURNEYS mouse keyboard keyboard_only notices missing_folder unwritable layout installer)
add_windows_journeys(crashes.py JOURNEYS killed_typing)
# The layout again at 144 dpi (Windows' 150 %), the window scaled by Qt.
add_windows_journeys(journeys.py SUFFIX _144dpi ARGS --dpi 144 JOURNEYS layout)
