# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file of the tree lacks the licence line in its first three lines (a script
# keeps its #! line first). Run as: cmake -DSOURCE_DIR=<tree> -P LicenceLines.cmake
set(licence_line "SPDX-License-Identifier: GPL-3.0-or-later")
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
    "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.inc"
    "${SOURCE_DIR}/*CMakeLists.txt" "${SOURCE_DIR}/*.cmake" "${SOURCE_DIR}/*.sh"
    "${SOURCE_DIR}/*.py" "${SOURCE_DIR}/scripts/*" "${SOURCE_DIR}/.ci/*")
set(missing "")
set(checked 0)
foreach(source IN LISTS sources)
    if(source MATCHES "^build/" OR source MATCHES "/corpus/" OR source MATCHES "^scripts/mutations.txt$")
        continue()
    endif()
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${SOURCE_DIR}/${source}" head LIMIT_COUNT 3)
    string(FIND "${head}" "${licence_line}" at)
    if(at EQUAL -1)
        list(APPEND missing "${source}")
    endif()
endforeach()
if(missing)
    list(JOIN missing "\n  " shown)
    message(FATAL_ERROR "Without the licence line:\n  ${shown}")
endif()
message(STATUS "${checked} sources carry the licence line")
