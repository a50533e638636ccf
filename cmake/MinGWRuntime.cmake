# SPDX-FileCopyrightText: 2026 The Telvaronix developers
# SPDX-License-Identifier: MIT
# MinGW's runtime libraries, which every program it builds needs beside it, as the compiler
# finds them: TELVARONIX_MINGW_RUNTIME lists the files, TELVARONIX_MINGW_RUNTIME_DIRS their
# folders (for the installer, and for Wine to find them when the tests run).
foreach(library libstdc++-6 libgcc_s_seh-1 libwinpthread-1 libssp-0)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}.dll
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(path ${path} REALPATH)
    list(APPEND TELVARONIX_MINGW_RUNTIME ${path})
    get_filename_component(folder ${path} DIRECTORY)
    list(APPEND TELVARONIX_MINGW_RUNTIME_DIRS ${folder})
endforeach()
list(REMOVE_DUPLICATES TELVARONIX_MINGW_RUNTIME_DIRS)
