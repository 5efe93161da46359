# SPDX-FileCopyrightText: 2026 tolvanex developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program under Wine, then passes on its output and exit status:
#   cmake -DWINE=<wine64> -DPROGRAM=<program.exe> [-DARGS=<arguments>] -DLOG=<file> -P RunUnderWine.cmake
# Wine's helper processes outlive the program by a few seconds and inherit its output streams;
# sent to a file, they do not keep CTest waiting for the streams to close.
execute_process(COMMAND ${WINE} ${PROGRAM} ${ARGS} OUTPUT_FILE ${LOG} ERROR_FILE ${LOG} RESULT_VARIABLE status)
file(READ ${LOG} output)
execute_process(COMMAND ${CMAKE_COMMAND} -E echo_append "${output}")
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "${PROGRAM} under Wine: exit status ${status}")
endif()
