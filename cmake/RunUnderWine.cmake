# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program under Wine, then passes on its output and exit status:
#   cmake -DWINE=<wine64> -DPROGRAM=<program.exe> [-DARGS=<arguments>] -DLOG=<file> [-DXVFB=ON]
#         [-DFONTS=<folder of Wine's fonts>] -P RunUnderWine.cmake
# XVFB: in an X server of its own (a window of a Windows program under Wine needs one), the Wine
# prefix's server ended with it, so that the next program's X server is the one used.
# Wine's helper processes outlive the program by a few seconds and inherit its output streams;
# sent to a file, they do not keep CTest waiting for the streams to close.
# FONTS: Wine's own Tahoma, the face it gives Windows' dialog font, installed into the prefix's
# Fonts folder (the prefix made first if need be), where Windows keeps its fonts: it is not there
# by itself, and without it Qt finds no face of that name and draws in a serif.
get_filename_component(wine_folder ${WINE} DIRECTORY)
if(FONTS)
    if(NOT EXISTS $ENV{WINEPREFIX}/system.reg)
        execute_process(COMMAND ${WINE} wineboot --init OUTPUT_QUIET ERROR_QUIET)
        execute_process(COMMAND ${wine_folder}/wineserver -w)
    endif()
    file(GLOB tahoma ${FONTS}/tahoma*.ttf)
    file(COPY ${tahoma} DESTINATION $ENV{WINEPREFIX}/drive_c/windows/Fonts)
endif()
set(command ${WINE} ${PROGRAM} ${ARGS})
if(XVFB)
    set(command xvfb-run --auto-servernum "--server-args=-screen 0 1280x1024x24 -nolisten tcp" ${command})
endif()
execute_process(COMMAND ${command} OUTPUT_FILE ${LOG} ERROR_FILE ${LOG} RESULT_VARIABLE status)
if(XVFB)
    execute_process(COMMAND ${wine_folder}/wineserver -k)
endif()
file(READ ${LOG} output)
execute_process(COMMAND ${CMAKE_COMMAND} -E echo_append "${output}")
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "${PROGRAM} under Wine: exit status ${status}")
endif()
